#pragma once

#include <QObject>
#include <QPointer>

#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/gui/ProgressKind.h"
#include "protocol/engine/EngineTypes.h"

class QWidget;

namespace tusko {
class LanguageManager;
class OperationEngine;
}  // namespace tusko

namespace tusko::gui {

class MessageService;

// What the device commands need from the main window.
class CommandWindow {
 public:
  virtual ~CommandWindow() = default;
  virtual QWidget& window() = 0;
  virtual void SetBusy(bool busy) = 0;
  virtual void RefreshStatusBar() = 0;
  // The Disconnect command, as the version question's No uses it.
  virtual void Disconnect() = 0;
};

// The commands that drive the gateway and the window's reaction to every
// engine notification: they start operations, run the progress and notice
// dialogs, and report each outcome by its language key.
class DeviceCommands final : public QObject {
  Q_OBJECT

 public:
  DeviceCommands(CommandWindow& window, OperationEngine& engine, const LanguageManager& language,
                 MessageService& messages);
  ~DeviceCommands() override;

  // Read configuration: first the system information, then (notification
  // code nonzero) the version question and the transfer.
  void ReadConfiguration(int notificationCode = 0);
  void Restart();
  void RestartModule();
  void DateTime();
  void ChangePassword();

  void OnNotification(Notification code, int value);

  bool PasswordDialogOpen() const { return password_ != nullptr; }

 signals:
  // A downloaded configuration image arrived whole; the engine holds it.
  void configurationReceived();

 private:
  void RunTransferDialog(ProgressKind kind);
  void RestartNotice();
  void RequestFailed(Notification code);
  void CloseNotice();
  void CloseProgressAsFailed();
  void ShowRefusal(int value, const char* textKey);
  bool VersionsAgreeOrAccepted();
  void OnSystemInfo(int value);
  void OnDownloadResult(int value);
  void OnPasswordResult(int value);
  void OnClockRead(int value);
  void Busy(bool on) { window_.SetBusy(on); }
  int Warn(const char* textKey);

  CommandWindow& window_;
  OperationEngine& engine_;
  const LanguageManager& language_;
  MessageService& messages_;
  bool downloadPending_ = false;
  bool uploadPending_ = false;
  bool noFirmwareBoxOpen_ = false;
  int lastModule_ = 0;
  QPointer<ProgressDialog> progress_;
  QPointer<NotifyDialog> notice_;
  QPointer<PasswordDialog> password_;
};

}  // namespace tusko::gui
