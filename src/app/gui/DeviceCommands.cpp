#include "app/gui/DeviceCommands.h"

#include <QMetaObject>
#include <QTimer>

#include "app/gui/ChoiceDialog.h"
#include "app/gui/MessagePrompts.h"
#include "app/gui/MessageService.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/language/LanguageManager.h"
#include "app/session/ConfigBackups.h"
#include "app/session/LayerSettings.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko::gui {

namespace {

// How long a paused monitor's stop is given before the command goes on.
constexpr std::chrono::milliseconds kMonitorPauseMs{1000};

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

std::string DeviceCommands::Text(std::string_view key) const { return context_.language.GetString(key); }

TextLookup DeviceCommands::Texts() const {
  return [this](std::string_view key) { return Text(key); };
}

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
  if (!BackupRulesFrom(context_.settings, false)) {
    if (ConfirmTransfer(ConfigTransferKind::Write)) StartUpload(false);
    return;
  }
  // The change list stands for the write's confirmation; versions that differ are asked about first.
  MessagePrompts prompts(context_.messages);
  if (AskVersionQuestion(engine_.deviceInformation().system.firmwareVersion, prompts) == Answer::No) return;
  BackUpThen(
      [this](const ConfigurationImage* gateway) {
        if (gateway != nullptr) {
          ConfirmChanges(*gateway);
        } else {
          StartUpload(false);
        }
      },
      [] {});
}

void DeviceCommands::StartUpload(bool verify) {
  verifyWrite_ = verify;
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

void DeviceCommands::ResumeMonitor() {
  if (!std::exchange(monitorPaused_, false)) return;
  window_.Monitor().Resume();
}

void DeviceCommands::RestartModule() {
  ModuleSelectDialog dialog(context_.language, Text("strGsmModuleReset"), lastModule_, &window_.window());
  if (dialog.exec() != QDialog::Accepted) return;
  lastModule_ = dialog.module();
  engine_.ResetModule(lastModule_);
}

void DeviceCommands::DateTime() { engine_.GetDateTime(); }

bool DeviceCommands::ReadCells(int module, OnlineCellsDone done) {
  cellsDone_ = std::move(done);
  if (engine_.GetCells(module)) return true;
  cellsDone_ = nullptr;
  return false;
}

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
    // The next transfer's dialog may already stand in this one's place (a
    // write confirmed while its backup's dialog was still closing): it keeps
    // the progress and the busy window.
    if (progress_ == dialog) {
      Busy(false);
      progress_ = nullptr;
    }
    dialog->deleteLater();
    if (ended) ended();
  });
  dialog->open();
}

void DeviceCommands::OpenDialog(QDialog* dialog) {
  connect(dialog, &QDialog::finished, dialog, &QObject::deleteLater);
  dialog->open();
}

void DeviceCommands::Later(std::function<void()> step) {
  QMetaObject::invokeMethod(this, std::move(step), Qt::QueuedConnection);
}

void DeviceCommands::Tell(CommandMessage message) {
  Later([this, message = std::move(message)] { MessagePrompts(context_.messages).Tell(message); });
}

void DeviceCommands::TellResult(DeviceCommand command, int value) {
  if (auto message = ResultMessage(command, value, engine_.causeText(), engine_.gatewayAfterCancel())) {
    Tell(std::move(*message));
  }
}

}  // namespace tusko::gui
