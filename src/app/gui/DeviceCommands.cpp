#include "app/gui/DeviceCommands.h"

#include <QMetaObject>
#include <QTimer>

#include "app/gui/ChoiceDialog.h"
#include "app/gui/DateTimeDialog.h"
#include "app/gui/DiagnosticsView.h"
#include "app/gui/InfoRowsDialog.h"
#include "app/gui/MessagePrompts.h"
#include "app/gui/MessageService.h"
#include "app/gui/NotificationResult.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/language/LanguageManager.h"
#include "app/session/DeviceInfoRows.h"
#include "app/session/LayerSettings.h"
#include "app/session/VersionRule.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko::gui {

namespace {

constexpr const char* kErrorCaption = "strError";
constexpr const char* kRestartNoticeKey = "strNotifyRestart";

// How long a paused monitor's stop is given before the command goes on.
constexpr std::chrono::milliseconds kMonitorPauseMs{1000};
// The code a command carries when notification 61 issues it again.
constexpr int kReissuedCommandCode = 100;

void CancelTransfer(OperationEngine& engine, ProgressKind kind) {
  switch (kind) {
    case ProgressKind::FirmwareWrite: engine.CancelFirmwareUpdate(); break;
    case ProgressKind::DataDownload: engine.CancelDownload(); break;
    case ProgressKind::DataUpload: engine.CancelUpload(); break;
    case ProgressKind::CdrDownload: engine.CancelCdr(); break;
    case ProgressKind::AnnouncementUpdate: engine.CancelAnnouncementUpdate(); break;
  }
}


}  // namespace

DeviceCommands::DeviceCommands(CommandWindow& window, OperationEngine& engine, DesktopContext& context)
    : window_(window), engine_(engine), context_(context), cdrFile_(CdrTextLayoutFrom(context.settings)) {}

DeviceCommands::~DeviceCommands() = default;

int DeviceCommands::Warn(const char* textKey) { return context_.messages.Show(textKey, kErrorCaption, kStyleWarning); }

std::string DeviceCommands::Text(std::string_view key) const { return context_.language.GetString(key); }

TextLookup DeviceCommands::Texts() const {
  return [this](std::string_view key) { return Text(key); };
}

// ---- Commands ----

void DeviceCommands::ReadConfiguration(int notificationCode) {
  if (notificationCode == 0) {
    if (engine_.CheckSystemInfo()) downloadPending_ = true;
    return;
  }
  if (!ConfirmTransfer(ConfigTransferKind::Read)) return;
  if (engine_.StartDownload()) RunTransferDialog(ProgressKind::DataDownload);
}

void DeviceCommands::WriteConfiguration(int notificationCode) {
  if (notificationCode == 0) {
    if (window_.ApplyConfigurationPage() && engine_.CheckSystemInfo()) uploadPending_ = true;
    return;
  }
  if (!ConfirmTransfer(ConfigTransferKind::Write)) return;
  PauseMonitorThen([this] {
    if (engine_.StartUpload(window_.CommittedImage())) {
      RunTransferDialog(ProgressKind::DataUpload);
    } else {
      ResumeMonitor();
    }
  });
}

bool DeviceCommands::ConfirmTransfer(ConfigTransferKind kind) {
  MessagePrompts prompts(context_.messages);
  return ConfirmConfigTransfer(kind, engine_.deviceInformation().system.firmwareVersion, prompts);
}

void DeviceCommands::SystemInformation() { engine_.GetSystemInfo(); }

void DeviceCommands::Restart() {
  PauseMonitorThen([this] {
    if (!engine_.ResetDevice()) ResumeMonitor();
  });
}

void DeviceCommands::PauseMonitorThen(std::function<void()> next) {
  MonitorLog& monitor = window_.Monitor();
  if (!monitor.IsActive()) {
    next();
    return;
  }
  monitor.Pause();
  monitorPaused_ = true;
  engine_.StopMonitoring();
  // The gateway gets a moment to end its trace before the next request; the
  // window waits busy, from its own event loop.
  Busy(true);
  QTimer::singleShot(kMonitorPauseMs, this, [this, next = std::move(next)] {
    Busy(false);
    next();
  });
}

void DeviceCommands::RestartModule() {
  ModuleSelectDialog dialog(context_.language, Text("strGsmModuleReset"), lastModule_, &window_.window());
  if (dialog.exec() != QDialog::Accepted) return;
  lastModule_ = dialog.module();
  engine_.ResetModule(lastModule_);
}

void DeviceCommands::DateTime() { engine_.GetDateTime(); }

void DeviceCommands::ChangePassword() {
  PasswordDialog dialog(
      context_.language, context_.messages,
      [this](const std::string& newPassword, const std::string& oldPassword) {
        return engine_.ChangePassword(newPassword, oldPassword);
      },
      &window_.window());
  password_ = &dialog;
  const int result = dialog.exec();
  password_ = nullptr;
  if (result == QDialog::Accepted) engine_.SetLoginPassword(dialog.newPassword());
}

void DeviceCommands::RunTransferDialog(ProgressKind kind, std::function<void()> ended) {
  auto* dialog = new ProgressDialog(context_.language, context_.messages, kind, [this, kind] { CancelTransfer(engine_, kind); },
                                    &window_.window());
  if (kind == ProgressKind::CdrDownload) dialog->SetWaitMode(true);
  progress_ = dialog;
  Busy(true);
  connect(dialog, &QDialog::finished, this, [this, dialog, ended = std::move(ended)] {
    Busy(false);
    progress_ = nullptr;
    dialog->deleteLater();
    if (ended) ended();
  });
  dialog->open();
}

void DeviceCommands::Later(std::function<void()> step) {
  QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

void DeviceCommands::Tell(const char* textKey, const char* captionKey, unsigned style, std::vector<std::string> args) {
  Later([this, textKey, captionKey, style, args = std::move(args)] {
    const std::vector<FormatArg> formatArgs(args.begin(), args.end());
    context_.messages.Show(textKey, captionKey, style, std::span<const FormatArg>(formatArgs));
  });
}

void DeviceCommands::TellWarning(const char* textKey) { Tell(textKey, kErrorCaption, kStyleWarning); }

void DeviceCommands::ResumeMonitor() {
  if (!std::exchange(monitorPaused_, false)) return;
  window_.Monitor().Resume();
}

// ---- Notifications ----

void DeviceCommands::OnNotification(Notification code, int value) {
  switch (code) {
    case Notification::Reset:
      if (Is(value, OperationResult::PasswordRefused)) {
        Busy(false);
        CloseNotice();
        ResumeMonitor();
      } else {
        RestartNotice();
      }
      break;
    case Notification::LoaderRestarted: RestartNotice(); break;
    case Notification::ResetRejected:
      Busy(false);
      CloseNotice();
      ShowRefusal(value, "strErrorResponse");
      ResumeMonitor();
      break;
    case Notification::FirmwareRunning:
      Busy(false);
      CloseNotice();
      if (password_) password_->CancelFromOwner();
      downloadPending_ = uploadPending_ = false;
      ResumeMonitor();
      break;
    case Notification::RestartFailed:
      Busy(false);
      CloseNotice();
      ResumeMonitor();
      Tell("strErrorRestart", kErrorCaption, kStyleError);
      break;
    case Notification::DownloadStarted:
    case Notification::UploadStarted:
    case Notification::MonitorRequestSent:
    case Notification::SystemInfoRequested:
    case Notification::LanInfoRequested:
    case Notification::AnnouncementStarted:
    case Notification::PasswordChangeRequested:
    case Notification::GetTimeRequested:
    case Notification::SetTimeRequested:
    case Notification::ModuleResetRequested:
    case Notification::CellsRequested: Busy(true); break;
    case Notification::FirmwareStarted:
      if (notice_) {
        CloseNotice();
        Busy(false);
      }
      Busy(true);
      break;
    case Notification::DownloadProgress:
    case Notification::UploadProgress:
    case Notification::FirmwareProgress:
    case Notification::AnnouncementProgress:
      if (progress_) {
        progress_->show();
        progress_->SetPosition(value);
      }
      break;
    case Notification::DownloadResult: OnDownloadResult(value); break;
    case Notification::FirmwareResult: OnFirmwareResult(value); break;
    case Notification::AnnouncementResult: OnAnnouncementResult(value); break;
    case Notification::LanInfoResult: OnLanInfo(value); break;
    case Notification::ModuleInfoRequested:
      window_.Diagnostics().StopModulePageRefresh();
      Busy(true);
      break;
    case Notification::IsdnStatusData:
    case Notification::IsdnCreditData:
    case Notification::GsmStatusData:
    case Notification::GsmCreditData: window_.Diagnostics().OnData(code); break;
    case Notification::ModuleInfoResult: OnModuleInfo(value); break;
    case Notification::CdrResult: OnCdrResult(value); break;
    case Notification::CellsResult: Busy(false); break;
    case Notification::InvalidData:
      Busy(false);
      CloseNotice();
      CloseProgressAsFailed();
      window_.Diagnostics().StopRefresh();
      Tell("strDiagErrorInvalidData", kErrorCaption, kStyleWarning, {engine_.causeText()});
      break;
    case Notification::UploadResult:
      Busy(false);
      if (!Succeeded(value)) {
        CloseProgressAsFailed();
        ShowRefusal(value, "strErrorResponse");
      }
      ResumeMonitor();
      break;
    case Notification::MonitorResult:
      Busy(false);
      if (Succeeded(value)) window_.Monitor().ClearCommandLine();
      ShowRefusal(value, "strErrorResponse");
      break;
    case Notification::SystemInfoResult: OnSystemInfo(value); break;
    case Notification::PasswordChangeResult: OnPasswordResult(value); break;
    case Notification::GetTimeResult: OnClockRead(value); break;
    case Notification::SetTimeResult:
      Busy(false);
      if (!Succeeded(value)) ShowFailure(value, "strDateTimeSetError");
      break;
    case Notification::ModuleResetResult: Busy(false); break;
    case Notification::OperationFailed:
    case Notification::NotAllowed: RequestFailed(code); break;
    case Notification::NoFirmware:
      Busy(false);
      CloseNotice();
      ResumeMonitor();
      // One box of this kind at a time.
      if (!noFirmwareBoxOpen_ && !firmwareCommand_) {
        noFirmwareBoxOpen_ = true;
        Later([this] {
          Warn("strFlashNoFirmware");
          noFirmwareBoxOpen_ = false;
        });
      }
      break;
    case Notification::LinkClosed:
      window_.RefreshStatusBar();
      if (context_.settings.comMode == static_cast<std::uint32_t>(LinkType::Tcp) &&
          engine_.host().linkState() == LinkState::Closed) {
        window_.Diagnostics().StopRefresh();
      }
      break;
    default: break;
  }
}

void DeviceCommands::RestartNotice() {
  Busy(false);
  if (password_) password_->CancelFromOwner();
  downloadPending_ = uploadPending_ = false;
  Busy(true);
  if (notice_) {
    notice_->SetTextKey(kRestartNoticeKey);
    return;
  }
  auto* notice = new NotifyDialog(context_.language, kRestartNoticeKey, &window_.window());
  notice_ = notice;
  connect(notice, &QDialog::finished, this, [this, notice] {
    notice_ = nullptr;
    notice->deleteLater();
  });
  notice->open();
}

void DeviceCommands::RequestFailed(Notification code) {
  Busy(false);
  CloseNotice();
  CloseProgressAsFailed();
  firmwareCommand_ = false;
  MonitorLog& monitor = window_.Monitor();
  if (code == Notification::OperationFailed && monitor.IsActive()) monitor.monitoringStopped();
  ResumeMonitor();
  if (password_) {
    Later([this, code] {
      if (!password_) return;
      if (code == Notification::NotAllowed) {
        password_->NotAllowed();
      } else {
        password_->Failed(static_cast<int>(OperationResult::NoAnswer), {});
      }
    });
    return;
  }
  downloadPending_ = uploadPending_ = false;
  Tell(code == Notification::OperationFailed ? "strErrorNoResponse" : "strErrorNotAllowed", kErrorCaption, kStyleError);
}

void DeviceCommands::CloseNotice() {
  if (notice_) notice_->Close();
}

void DeviceCommands::CloseProgressAsFailed() {
  if (progress_) progress_->CloseAsFailed();
}

void DeviceCommands::ShowRefusal(int value, const char* textKey) {
  if (Is(value, OperationResult::Rejected)) Tell(textKey, kErrorCaption, kStyleWarning, {engine_.causeText()});
}

void DeviceCommands::ShowFailure(int value, const char* textKey) {
  if (Is(value, OperationResult::Rejected) && !engine_.causeText().empty()) {
    ShowRefusal(value, "strErrorResponse");
  } else {
    TellWarning(textKey);
  }
}

void DeviceCommands::OnSystemInfo(int value) {
  Busy(false);
  if (!Succeeded(value)) {
    downloadPending_ = uploadPending_ = false;
    TellWarning("strSysInfoError");
    return;
  }
  if (downloadPending_) {
    downloadPending_ = false;
    QMetaObject::invokeMethod(this, [this] { ReadConfiguration(kReissuedCommandCode); }, Qt::QueuedConnection);
    return;
  }
  if (uploadPending_) {
    uploadPending_ = false;
    QMetaObject::invokeMethod(this, [this] { WriteConfiguration(kReissuedCommandCode); }, Qt::QueuedConnection);
    return;
  }
  const std::string firmwareVersion = engine_.deviceInformation().system.firmwareVersion;
  if (VersionsAgree(firmwareVersion, kProgramDataVersion)) return;
  // The LAN step waits for the answer to the version question.
  const bool lanStep = engine_.HasPending(SystemInfoPending);
  engine_.ClearPendingFlag(SystemInfoPending);
  Later([this, lanStep, firmwareVersion] {
    MessagePrompts prompts(context_.messages);
    if (AskVersionQuestion(firmwareVersion, prompts) != Answer::No) {
      if (lanStep) engine_.GetLanInfo();
    } else {
      window_.Disconnect();
      window_.Diagnostics().StopRefresh();
    }
  });
}

void DeviceCommands::OnDownloadResult(int value) {
  Busy(false);
  CloseNotice();
  if (!Succeeded(value)) {
    CloseProgressAsFailed();
    ShowRefusal(value, "strErrorResponse");
    return;
  }
  Later([this] { emit configurationReceived(); });
}

void DeviceCommands::OnLanInfo(int value) {
  Busy(false);
  const std::string lead = Succeeded(value) ? std::string() : Text("strSysInfoErrorLan");
  std::vector<InfoRow> rows = SystemRows(engine_.deviceInformation().system, Texts());
  const std::vector<InfoRow> lan = LanRows(engine_.deviceInformation().lan, Texts());
  rows.insert(rows.end(), lan.begin(), lan.end());
  OpenDialog(new InfoRowsDialog(context_.language, "strSysInfo", lead, rows, &window_.window()));
}

void DeviceCommands::OpenDialog(QDialog* dialog) {
  connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
  dialog->open();
}

void DeviceCommands::OnModuleInfo(int value) {
  Busy(false);
  window_.Diagnostics().RestartModulePageRefresh();
  if (!Succeeded(value)) {
    if (Is(value, OperationResult::NoAnswer)) Tell("strErrorNoResponse", kErrorCaption, kStyleError);
    ShowRefusal(value, "strErrorResponse");
    return;
  }
  const ModuleInformation& module = engine_.deviceInformation().module;
  std::vector<InfoRow> rows;
  for (const InfoRow& row : ModuleRows(module, Texts())) {
    if (!row.second.empty()) rows.push_back(row);
  }
  const char* name = module.index == 0 ? "strGsmModule1" : "strGsmModule2";
  OpenDialog(new InfoRowsDialog(context_.language, "strGsmModuleInfo", Text(name), rows, &window_.window()));
}

void DeviceCommands::OnFirmwareResult(int value) {
  Busy(false);
  firmwareCommand_ = false;
  if (Succeeded(value)) {
    Tell("strFlashWriteOK", "strFinish", kStyleInformation);
  } else {
    CloseProgressAsFailed();
    // A login the user cancelled needs no further word.
    if (!Is(value, OperationResult::PasswordRefused)) ShowFailure(value, "strFlashWriteError");
  }
  ResumeMonitor();
}

void DeviceCommands::OnAnnouncementResult(int value) {
  if (Succeeded(value)) {
    Tell("strAnnouncementUpdateOK", "strFinish", kStyleInformation);
  } else {
    CloseProgressAsFailed();
    ShowRefusal(value, "strAnnouncementUpdateError");
  }
  Busy(false);
}

void DeviceCommands::OnPasswordResult(int value) {
  Busy(false);
  if (!password_) return;
  if (Succeeded(value)) {
    password_->Succeeded();
  } else {
    Later([this, value, cause = engine_.causeText()] {
      if (password_) password_->Failed(value, cause);
    });
  }
}

void DeviceCommands::OnClockRead(int value) {
  Busy(false);
  if (!Succeeded(value)) {
    ShowFailure(value, "strDateTimeGetError");
    return;
  }
  const DeviceClock& clock = engine_.deviceInformation().clock;
  std::optional<LastSyncRecord> lastSync;
  if (clock.lastSync.reported != 0) lastSync = clock.lastSync;
  auto* dialog = new DateTimeDialog(context_.language, clock.time, lastSync, &window_.window());
  connect(dialog, &QDialog::accepted, this, [this, dialog] { engine_.SetDateTime(dialog->time()); });
  OpenDialog(dialog);
}

}  // namespace tusko::gui
