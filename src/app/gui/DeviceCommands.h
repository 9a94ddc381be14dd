#pragma once

#include <QObject>
#include <QPointer>

#include "app/gui/DesktopContext.h"
#include "app/gui/FileDialogs.h"
#include "app/gui/OnlineCellSource.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/gui/ProgressKind.h"
#include "app/session/CommandEnding.h"
#include "app/session/ConfigBackups.h"
#include "app/session/ConfigTransferFlow.h"
#include "app/session/DeviceInfoRows.h"
#include "config/ConfigurationImage.h"
#include "monitor/CdrFile.h"
#include "monitor/MonitorLog.h"
#include "protocol/engine/EngineTypes.h"

class QDialog;
class QWidget;

namespace tusko {
class OperationEngine;
}  // namespace tusko

namespace tusko::gui {

class DiagnosticsView;

// What the device commands need from the main window.
class CommandWindow {
 public:
  virtual ~CommandWindow() = default;
  virtual QWidget& window() = 0;
  virtual void SetBusy(bool busy) = 0;
  virtual void RefreshStatusBar() = 0;
  // The Disconnect command, as the version question's No uses it.
  virtual void Disconnect() = 0;
  // The configuration's open page applied, so that the committed image is current.
  virtual bool ApplyConfigurationPage() = 0;
  virtual const ConfigurationImage& CommittedImage() const = 0;
  virtual MonitorLog& Monitor() = 0;
  virtual DiagnosticsView& Diagnostics() = 0;
  // The link is a TCP connection on which the gateway has not answered yet.
  virtual bool SilentTcpConnection() const = 0;
};

// The commands that drive the gateway and the window's reaction to every
// engine notification: they check files, ask their questions, start
// operations, run the progress and notice dialogs, and report each outcome
// by its language key.
class DeviceCommands final : public QObject, public OnlineCellSource {
  Q_OBJECT

 public:
  DeviceCommands(CommandWindow& window, OperationEngine& engine, DesktopContext& context);
  ~DeviceCommands() override;

  // Read configuration: first the system information, then (notification
  // code nonzero) the version question and the transfer.
  void ReadConfiguration(int notificationCode = 0);
  // Write configuration: the page applied and the system information first,
  // then (notification code nonzero) the questions and the transfer.
  void WriteConfiguration(int notificationCode = 0);
  void SystemInformation();
  void Restart();
  void RestartModule();
  void DateTime();
  void ChangePassword();
  void WriteFirmware();
  void UpdateAnnouncement();
  void DownloadCdr();
  bool ReadCells(int module, OnlineCellsDone done) override;

  void OnNotification(Notification code, int value);

  bool PasswordDialogOpen() const { return password_ != nullptr; }

 signals:
  // A downloaded configuration image arrived whole; the engine holds it.
  void configurationReceived();

 private:
  // DeviceFileCommands.cpp: the commands that start from a file.
  std::optional<FileAnswer> AskCdrFile();
  void OnCdrResult(int value);

  // Opens the transfer's progress dialog and returns; `ended` runs once it has closed.
  void RunTransferDialog(ProgressKind kind, std::function<void()> ended = {});
  // Opens a dialog without waiting for it; it is deleted once it has closed.
  void OpenDialog(QDialog* dialog);
  // A notification handler never opens a box or a dialog itself, which would
  // run a nested event loop in which the next notification is handled before
  // this one has ended: it leaves them to the event loop.
  void Later(std::function<void()> step);
  void Tell(CommandMessage message);
  // What `command`'s ending with `value` says, if anything.
  void TellResult(DeviceCommand command, int value);
  // The version question when the versions differ; true to go on.
  bool ConfirmTransfer(ConfigTransferKind kind);
  // Before a write, a restart or a firmware update a running monitor rests
  // for a moment before `next` goes on; the operation's end resumes it.
  void PauseMonitorThen(std::function<void()> next);
  // Every ending of a command that paused the monitor calls this.
  void ResumeMonitor();
  void Busy(bool on) { window_.SetBusy(on); }
  std::string Text(std::string_view key) const;
  TextLookup Texts() const;

  // WriteSafeguards.cpp: before a write the gateway's configuration is read
  // and kept as a dated backup; after one it may be read back and compared.
  using BackedUp = std::function<void(const ConfigurationImage* gateway)>;
  // Reads the gateway's configuration and saves it as a backup, then `next`
  // goes on with what was read: nothing when backups are off or the user chose
  // to write without one. `stopped` runs when the write does not go on.
  void BackUpThen(BackedUp next, std::function<void()> stopped);
  void OnBackupRead(int value);
  // The user is asked whether to write without a backup.
  void AskWriteWithoutBackup();
  // The change list's question; OK writes.
  void ConfirmChanges(const ConfigurationImage& gateway);
  void StartUpload(bool verify);
  // The gateway runs the written configuration: said, then read back when asked for.
  void GatewayRunsAgain();
  void ReadBack();
  void OnReadBack(int value);

  // DeviceNotifications.cpp: the reactions to the engine's notifications.
  void RestartNotice();
  // The notice without buttons, busy while it shows `textKey`.
  void ShowNotice(const std::string& textKey);
  void OnRestartEnded(int result);
  void RequestFailed(Notification code);
  void OnNoFirmware();
  void OnInvalidData();
  void CloseNotice();
  void CloseProgressAsFailed();
  void OnSystemInfo(int value);
  void OnLanInfo(int value);
  void OnModuleInfo(int value);
  void OnDownloadResult(int value);
  void OnUploadResult(int value);
  void OnFirmwareResult(int value);
  void OnAnnouncementResult(int value);
  void OnPasswordResult(int value);
  void OnClockRead(int value);
  void OnCellsResult(int value);

  CommandWindow& window_;
  OperationEngine& engine_;
  DesktopContext& context_;
  bool downloadPending_ = false;
  bool uploadPending_ = false;
  bool firmwareCommand_ = false;
  // A command paused the monitor and has not ended yet.
  bool monitorPaused_ = false;
  bool noFirmwareBoxOpen_ = false;
  int lastModule_ = 0;
  // The clock being set is the computer's time, which its ending says.
  bool clockSynchronized_ = false;
  // The cell selection page waiting for its read of the online cells.
  OnlineCellsDone cellsDone_;
  CdrFile cdrFile_;
  std::filesystem::path cdrPath_;  // the file of the running download
  // A written configuration's restart is under way; its end says the gateway runs again.
  bool writtenRestarting_ = false;
  // The write waiting for its backup read, and what it does when it goes on or not.
  BackedUp afterBackup_;
  std::function<void()> backupDeclined_;
  std::optional<BackupRules> backupRules_;  // where that backup goes
  // The configuration written is to be read back and compared with `written_`.
  bool verifyWrite_ = false;
  bool readingBack_ = false;
  ConfigurationImage written_;
  QPointer<ProgressDialog> progress_;
  QPointer<NotifyDialog> notice_;
  QPointer<PasswordDialog> password_;
};

}  // namespace tusko::gui
