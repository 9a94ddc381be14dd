// The window's reaction to every engine notification. A handler never opens a
// box or a dialog itself: it leaves them to the event loop (Later, Tell,
// OpenDialog), so that no handler runs while another is still running.

#include "app/gui/DateTimeDialog.h"
#include "app/gui/DeviceCommands.h"
#include "app/gui/DiagnosticsView.h"
#include "app/gui/InfoRowsDialog.h"
#include "app/gui/MessagePrompts.h"
#include "app/gui/NotificationResult.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/language/LanguageManager.h"
#include "app/session/ConfigTransferFlow.h"
#include "app/session/DeviceInfoRows.h"
#include "app/session/OnlineCells.h"
#include "app/session/VersionRule.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko::gui {

namespace {

constexpr const char* kRestartNoticeKey = "strNotifyRestart";
// The code a command carries when the system information issues it again.
constexpr int kReissuedCommandCode = 100;

}  // namespace

void DeviceCommands::OnNotification(Notification code, int value) {
  // Either start of the gateway's programs has emptied the engine's diagnostics stores.
  if (code == Notification::LoaderRestarted || code == Notification::FirmwareRunning) {
    window_.Diagnostics().OnGatewayRestart();
  }
  switch (code) {
    case Notification::Reset:
    case Notification::ResetRejected:
    case Notification::FirmwareRunning:
    case Notification::RestartFailed:
      if (const auto result = RestartResult(code, value)) {
        OnRestartEnded(*result);
      } else {
        RestartNotice();
      }
      break;
    case Notification::LoaderRestarted: RestartNotice(); break;
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
    case Notification::UploadResult: OnUploadResult(value); break;
    case Notification::FirmwareResult: OnFirmwareResult(value); break;
    case Notification::AnnouncementResult: OnAnnouncementResult(value); break;
    case Notification::CdrResult: OnCdrResult(value); break;
    case Notification::SystemInfoResult: OnSystemInfo(value); break;
    case Notification::LanInfoResult: OnLanInfo(value); break;
    case Notification::ModuleInfoRequested:
      window_.Diagnostics().StopModulePageRefresh();
      Busy(true);
      break;
    case Notification::ModuleInfoResult: OnModuleInfo(value); break;
    case Notification::IsdnStatusData:
    case Notification::IsdnCreditData:
    case Notification::GsmStatusData:
    case Notification::GsmCreditData: window_.Diagnostics().OnData(code); break;
    case Notification::CellsResult: OnCellsResult(value); break;
    case Notification::InvalidData: OnInvalidData(); break;
    case Notification::MonitorResult:
      Busy(false);
      if (Succeeded(value)) window_.Monitor().ClearCommandLine();
      TellResult(DeviceCommand::MonitorCommand, value);
      break;
    case Notification::PasswordChangeResult: OnPasswordResult(value); break;
    case Notification::GetTimeResult: OnClockRead(value); break;
    case Notification::SetTimeResult:
      Busy(false);
      TellResult(std::exchange(clockSynchronized_, false) ? DeviceCommand::SynchronizeClock : DeviceCommand::SetClock,
                 value);
      break;
    case Notification::ModuleResetResult:
      Busy(false);
      TellResult(DeviceCommand::ModuleRestart, value);
      break;
    case Notification::OperationFailed:
    case Notification::NotAllowed: RequestFailed(code); break;
    case Notification::NoFirmware: OnNoFirmware(); break;
    case Notification::LinkClosed:
      window_.RefreshStatusBar();
      if (context_.settings.comMode == static_cast<std::uint32_t>(LinkType::Tcp) &&
          engine_.linkState() == LinkState::Closed) {
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
  ShowNotice(writtenRestarting_ ? ConfigWrittenMessage().textKey : kRestartNoticeKey);
}

void DeviceCommands::ShowNotice(const std::string& textKey) {
  Busy(true);
  if (notice_) {
    notice_->SetTextKey(textKey);
    return;
  }
  auto* notice = new NotifyDialog(context_.language, textKey, &window_.window());
  notice_ = notice;
  connect(notice, &QDialog::finished, this, [this, notice] {
    notice_ = nullptr;
    notice->deleteLater();
  });
  notice->open();
}

void DeviceCommands::OnRestartEnded(int result) {
  Busy(false);
  CloseNotice();
  if (password_) password_->CancelFromOwner();
  downloadPending_ = uploadPending_ = false;
  ResumeMonitor();
  if (std::exchange(writtenRestarting_, false) && Succeeded(result)) {
    GatewayRunsAgain();
    return;
  }
  verifyWrite_ = false;
  TellResult(DeviceCommand::Restart, result);
}

void DeviceCommands::RequestFailed(Notification code) {
  writtenRestarting_ = false;
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
  if (auto done = std::exchange(cellsDone_, nullptr)) {
    // The cell selection page names the module in its own message.
    Later([done] { done(std::nullopt); });
    return;
  }
  Tell(UnansweredMessage(code, window_.SilentTcpConnection()));
}

void DeviceCommands::OnNoFirmware() {
  Busy(false);
  CloseNotice();
  ResumeMonitor();
  // One box of this kind at a time, and none while Write firmware runs.
  if (noFirmwareBoxOpen_ || firmwareCommand_) return;
  noFirmwareBoxOpen_ = true;
  Later([this] {
    MessagePrompts(context_.messages).Tell(ProblemMessage("strFlashNoFirmware"));
    noFirmwareBoxOpen_ = false;
  });
}

void DeviceCommands::OnInvalidData() {
  Busy(false);
  CloseNotice();
  CloseProgressAsFailed();
  window_.Diagnostics().StopRefresh();
  Tell(ProblemMessage("strDiagErrorInvalidData", {engine_.causeText()}));
}

void DeviceCommands::CloseNotice() {
  if (notice_) notice_->Close();
}

void DeviceCommands::CloseProgressAsFailed() {
  if (progress_) progress_->CloseAsFailed();
}

void DeviceCommands::OnSystemInfo(int value) {
  Busy(false);
  if (!Succeeded(value)) {
    downloadPending_ = uploadPending_ = false;
    TellResult(DeviceCommand::SystemInfo, value);
    return;
  }
  if (std::exchange(downloadPending_, false)) {
    Later([this] { ReadConfiguration(kReissuedCommandCode); });
    return;
  }
  if (std::exchange(uploadPending_, false)) {
    Later([this] { WriteConfiguration(kReissuedCommandCode); });
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

void DeviceCommands::OnLanInfo(int value) {
  Busy(false);
  const auto problem = ResultMessage(DeviceCommand::LanInfo, value, engine_.causeText());
  const std::string lead = problem ? Text(problem->textKey) : std::string();
  std::vector<InfoRow> rows = SystemRows(engine_.deviceInformation().system, Texts());
  const std::vector<InfoRow> lan = LanRows(engine_.deviceInformation().lan, Texts());
  rows.insert(rows.end(), lan.begin(), lan.end());
  OpenDialog(new InfoRowsDialog(context_.language, "strSysInfo", lead, rows, &window_.window()));
}

void DeviceCommands::OnModuleInfo(int value) {
  Busy(false);
  window_.Diagnostics().RestartModulePageRefresh();
  if (!Succeeded(value)) {
    TellResult(DeviceCommand::ModuleInfo, value);
    return;
  }
  const ModuleInformation& module = engine_.deviceInformation().module;
  std::vector<InfoRow> rows;
  for (const InfoRow& row : ModuleRows(module, Texts())) {
    if (!row.second.empty()) rows.push_back(row);
  }
  OpenDialog(new InfoRowsDialog(context_.language, "strGsmModuleInfo", Text(ModuleNameKey(module.index)), rows,
                                &window_.window()));
}

void DeviceCommands::OnDownloadResult(int value) {
  if (afterBackup_) return OnBackupRead(value);
  if (readingBack_) return OnReadBack(value);
  Busy(false);
  CloseNotice();
  if (!Succeeded(value)) {
    CloseProgressAsFailed();
    TellResult(DeviceCommand::ReadConfiguration, value);
    return;
  }
  Later([this] { emit configurationReceived(); });
}

void DeviceCommands::OnUploadResult(int value) {
  Busy(false);
  if (!Succeeded(value)) {
    verifyWrite_ = false;
    CloseProgressAsFailed();
    TellResult(DeviceCommand::WriteConfiguration, value);
  } else if (std::exchange(writtenRestarting_, false)) {
    // The link is back after the restart that took the configuration over.
    CloseNotice();
    GatewayRunsAgain();
  } else {
    // The gateway restarts to take the configuration over; the notice stays
    // until it is back. Where the engine waits for no restart, a box says it.
    writtenRestarting_ = true;
    written_ = engine_.configTransfer().image();
    ShowNotice(ConfigWrittenMessage().textKey);
    Later([this] {
      if (!writtenRestarting_ || engine_.state() != EngineState::Idle) return;
      writtenRestarting_ = false;
      Busy(false);
      CloseNotice();
      MessagePrompts(context_.messages).Tell(ConfigWrittenMessage());
      if (std::exchange(verifyWrite_, false)) ReadBack();
    });
  }
  ResumeMonitor();
}

void DeviceCommands::OnFirmwareResult(int value) {
  Busy(false);
  firmwareCommand_ = false;
  if (!Succeeded(value)) CloseProgressAsFailed();
  TellResult(DeviceCommand::WriteFirmware, value);
  ResumeMonitor();
}

void DeviceCommands::OnAnnouncementResult(int value) {
  if (!Succeeded(value)) CloseProgressAsFailed();
  TellResult(DeviceCommand::UpdateAnnouncement, value);
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
    TellResult(DeviceCommand::ReadClock, value);
    return;
  }
  const DeviceClock& clock = engine_.deviceInformation().clock;
  std::optional<LastSyncRecord> lastSync;
  if (clock.lastSync.reported != 0) lastSync = clock.lastSync;
  auto* dialog = new DateTimeDialog(context_.language, clock.time, lastSync, &window_.window());
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    clockSynchronized_ = dialog->synchronized();
    engine_.SetDateTime(dialog->time());
  });
  OpenDialog(dialog);
}

void DeviceCommands::OnCellsResult(int value) {
  Busy(false);
  auto done = std::exchange(cellsDone_, nullptr);
  if (!done) return;
  std::optional<std::vector<Cell>> cells;
  if (Succeeded(value)) cells = ListedCells(engine_.deviceInformation().module.cells);
  Later([done, cells] { done(cells); });
}

}  // namespace tusko::gui
