#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QMainWindow>
#include <QTimer>

#include "app/gui/CommandIds.h"
#include "app/gui/DesktopContext.h"
#include "app/gui/DeviceCommands.h"
#include "app/gui/DocumentCommands.h"
#include "app/gui/QtMainLoop.h"
#include "app/gui/TabPages.h"
#include "app/session/LinkEngineHost.h"
#include "monitor/LogView.h"
#include "protocol/engine/OperationEngine.h"

class QLabel;
class QTabWidget;

namespace tusko::gui {

class ConfigurationView;
class DiagnosticsView;
class LogCommands;
class LogWidget;
class MainMenu;
class MonitorPage;

// The program's one top-level window: menus, toolbar, status bar and the tab
// view, the link and the operation engine, and every command that is not a
// device command. Device commands and notifications go to DeviceCommands.
class MainWindow final : public QMainWindow, private CommandWindow, private DocumentWindow {
  Q_OBJECT

 public:
  explicit MainWindow(DesktopContext& context, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Start-up: opens the link quietly when the settings name one, and follows
  // the gateway's USB port; false when the system offers no device watch.
  void OpenLinkQuietly();
  bool FollowUsbDevices();

  // The commands of the menus, toolbar and accelerators by number.
  void Execute(int command);

  // For tests and the command enabling: what the window is made of.
  OperationEngine& engine() { return engine_; }
  LinkEngineHost& host() { return host_; }
  DeviceCommands& deviceCommands() { return *commands_; }
  DocumentCommands& documentCommands() { return *documents_; }
  ConfigurationView& configuration() { return *configuration_; }
  TabPages& tabs() { return tabs_; }
  MainMenu& menu() { return *menu_; }
  QString StatusText() const;
  bool busy() const { return busy_; }
  LogView* communicationLog() { return commLog_.get(); }
  MonitorPage& monitorPage() { return *monitorPage_; }
  DiagnosticsView& diagnostics() { return *diagnostics_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // ---- CommandWindow ----
  QWidget& window() override { return *this; }
  void SetBusy(bool busy) override;
  void RefreshStatusBar() override;
  void Disconnect() override;
  bool ApplyConfigurationPage() override { return documents_->ApplyCurrentPage(); }
  MonitorLog& Monitor() override;
  DiagnosticsView& Diagnostics() override { return *diagnostics_; }
  const ConfigurationImage& CommittedImage() const override;
  bool SilentTcpConnection() const override { return host_.SilentTcpConnection(); }
  // ---- DocumentWindow ----
  void ShowConfigurationTab() override;
  void DocumentStateChanged() override;

  LinkEngineHostHooks Hooks();
  void BuildPages();
  void BuildAccelerators();
  void RestoreWindowState();
  void SaveWindowState();
  void UpdateCommandStates();
  bool CommandEnabled(Command command);
  void Translate();

  std::optional<std::string> AskLoginPassword();
  void AskLinkSettingsWhenNone();
  bool EditLinkSettings();
  void Connect();
  void CommunicationSettings();
  void ChooseLanguage();
  void ShowHelp();
  void ShowAbout();
  void ToggleTab(TabPageId id, Command item);

  // The log view of the current tab; null on the other tabs.
  LogWidget* CurrentLog() const;
  void ShowLogContextMenu(const QPoint& globalPos);

  DesktopContext& context_;
  QtMainLoop loop_;
  // Made before the host, which writes to it; the link stops before it goes.
  std::unique_ptr<LogView> commLog_;
  LinkEngineHost host_;
  OperationEngine engine_;
  std::unique_ptr<DeviceCommands> commands_;

  QTabWidget* tabWidget_ = nullptr;
  TabPages tabs_;
  MainMenu* menu_ = nullptr;
  QLabel* statusText_ = nullptr;
  LogWidget* commLogWidget_ = nullptr;
  MonitorPage* monitorPage_ = nullptr;
  ConfigurationView* configuration_ = nullptr;
  DiagnosticsView* diagnostics_ = nullptr;
  std::unique_ptr<DocumentCommands> documents_;
  std::unique_ptr<LogCommands> logs_;
  QTimer idleTimer_;

  bool busy_ = false;
  bool connectingCursor_ = false;
};

}  // namespace tusko::gui
