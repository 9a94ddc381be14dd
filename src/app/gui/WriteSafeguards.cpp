// What the desktop does around a write: the backup of the gateway's
// configuration before Write configuration and Write firmware, the list of
// the fields a write changes, and the read back that compares after it.

#include "app/gui/DeviceCommands.h"
#include "app/gui/MessagePrompts.h"
#include "app/gui/NotificationResult.h"
#include "app/gui/WriteChangesDialog.h"
#include "app/session/CommandEnding.h"
#include "app/session/ConfigBackups.h"
#include "app/session/WriteChanges.h"
#include "app/session/WriteVerification.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko::gui {

void DeviceCommands::BackUpThen(BackedUp next, std::function<void()> stopped) {
  backupRules_ = BackupRulesFrom(context_.settings, false);
  if (!backupRules_) {
    next(nullptr);
    return;
  }
  afterBackup_ = std::move(next);
  backupDeclined_ = std::move(stopped);
  if (engine_.StartDownload()) {
    RunTransferDialog(ProgressKind::DataDownload);
    return;
  }
  Later([this] { AskWriteWithoutBackup(); });
}

void DeviceCommands::OnBackupRead(int value) {
  Busy(false);
  if (!Succeeded(value)) {
    CloseProgressAsFailed();
    TellResult(DeviceCommand::ReadConfiguration, value);
    Later([this] { AskWriteWithoutBackup(); });
    return;
  }
  const ConfigurationImage gateway = engine_.configTransfer().image();
  if (!SaveConfigBackup(*backupRules_, engine_.deviceInformation().system.deviceName, LocalTimeNow(), gateway)) {
    Tell(ProblemMessage("strBackupSaveError", {backupRules_->folder.string()}));
    Later([this] { AskWriteWithoutBackup(); });
    return;
  }
  Later([this, gateway, next = std::exchange(afterBackup_, nullptr)] {
    backupDeclined_ = nullptr;
    next(&gateway);
  });
}

void DeviceCommands::AskWriteWithoutBackup() {
  BackedUp next = std::exchange(afterBackup_, nullptr);
  std::function<void()> stopped = std::exchange(backupDeclined_, nullptr);
  const Answer answer = MessagePrompts(context_.messages)
                            .Ask({.textKey = "strBackupNotMadeGoOn",
                                  .captionKey = "strError",
                                  .style = MessageStyle::WarningQuestion,
                                  .args = {},
                                  .question = QuestionKind::Confirmation});
  if (answer == Answer::No) {
    if (stopped) stopped();
  } else if (next) {
    next(nullptr);
  }
}

void DeviceCommands::ConfirmChanges(const ConfigurationImage& gateway) {
  WriteChangesDialog dialog(context_.language, WriteChanges(gateway, window_.CommittedImage(), Texts()), false,
                            &window_.window());
  dialog.setObjectName("writeChangesDialog");
  if (dialog.exec() == QDialog::Accepted) StartUpload(dialog.verify());
}

void DeviceCommands::GatewayRunsAgain() {
  Later([this] {
    MessagePrompts(context_.messages).Tell(ConfigRunningAgainMessage());
    if (std::exchange(verifyWrite_, false)) ReadBack();
  });
}

void DeviceCommands::ReadBack() {
  readingBack_ = engine_.StartDownload();
  if (readingBack_) RunTransferDialog(ProgressKind::DataDownload);
}

void DeviceCommands::OnReadBack(int value) {
  Busy(false);
  readingBack_ = false;
  if (!Succeeded(value)) {
    CloseProgressAsFailed();
    TellResult(DeviceCommand::ReadConfiguration, value);
    return;
  }
  const std::vector<std::string> differing = DifferingFields(written_, engine_.configTransfer().image(), Texts());
  if (differing.empty()) {
    Tell({.textKey = "strDataWriteVerified",
          .captionKey = "strDataUpload",
          .style = MessageStyle::Information,
          .args = {},
          .question = QuestionKind::Confirmation});
    return;
  }
  std::string names;
  for (const std::string& name : differing) names += (names.empty() ? "" : ", ") + name;
  Tell(ProblemMessage("strDataWriteVerifyFailed", {names}, MessageStyle::Error));
}

}  // namespace tusko::gui
