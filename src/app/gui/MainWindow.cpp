#include "app/gui/MainWindow.h"

#include <algorithm>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QUrl>

#include "app/gui/AboutDialog.h"
#include "app/gui/CommunicationDialog.h"
#include "app/gui/ConfigurationView.h"
#include "app/gui/ConnectWaitDialog.h"
#include "app/gui/DiagnosticsView.h"
#include "app/gui/FileDialogs.h"
#include "app/gui/LanguageDialog.h"
#include "app/gui/LogCommands.h"
#include "app/gui/LogWidget.h"
#include "app/gui/LoginDialog.h"
#include "app/gui/MainMenu.h"
#include "app/gui/MessageService.h"
#include "app/gui/MonitorPage.h"
#include "app/gui/PaneFocus.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "app/session/LanguageChange.h"
#include "app/session/LinkStatusText.h"
#include "link/SerialPortList.h"
#include "protocol/engine/ConfigTransfer.h"

namespace tusko::gui {

namespace {

// How often the status bar and the command states are brought up to date.
constexpr std::chrono::milliseconds kIdleRefreshMs{200};
constexpr QSize kMinimumWindowSize{400, 484};

struct Accelerator {
  QKeySequence keys;
  Command command;
};

const Accelerator kAccelerators[] = {
    {QKeySequence(Qt::CTRL | Qt::Key_N), Command::FileNew},
    {QKeySequence(Qt::CTRL | Qt::Key_O), Command::FileOpen},
    {QKeySequence(Qt::CTRL | Qt::Key_S), Command::FileSave},
    {QKeySequence(Qt::CTRL | Qt::Key_C), Command::Copy},
    {QKeySequence(Qt::CTRL | Qt::Key_Insert), Command::Copy},
    {QKeySequence(Qt::CTRL | Qt::Key_F), Command::Find},
    {QKeySequence(Qt::Key_F3), Command::FindNext},
    {QKeySequence(Qt::Key_F1), Command::HelpContents},
    {QKeySequence(Qt::CTRL | Qt::Key_Tab), Command::NextTab},
    {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), Command::PreviousTab},
    {QKeySequence(Qt::CTRL | Qt::Key_Backtab), Command::PreviousTab},
    {QKeySequence(Qt::Key_F6), Command::NextPane},
    {QKeySequence(Qt::SHIFT | Qt::Key_F6), Command::PreviousPane},
};

// The monitor's temporary file lives where the user may write: the cache folder.
std::filesystem::path MonitorTempFolder() {
  const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  return cache.isEmpty() ? std::filesystem::temp_directory_path() : std::filesystem::path(cache.toStdString());
}

}  // namespace

MainWindow::MainWindow(DesktopContext& context, QWidget* parent)
    : QMainWindow(parent),
      context_(context),
      commLog_(context.settings.communicationLog == 1 ? std::make_unique<LogView>() : nullptr),
      host_(loop_, context.settings, Hooks()),
      engine_(host_, host_.engineSettings()),
      commands_(std::make_unique<DeviceCommands>(static_cast<CommandWindow&>(*this), engine_, context)),
      tabWidget_(new QTabWidget(this)),
      tabs_(*tabWidget_) {
  host_.Attach(engine_);
  if (commLog_) {
    commLog_->SetMaxLines(context.settings.communicationLogMaxLines);
    host_.AttachLog(commLog_.get());
  }
  context_.messages.SetOwner(this);

  setObjectName("mainWindow");
  setAcceptDrops(true);
  setMinimumSize(kMinimumWindowSize);
  setCentralWidget(tabWidget_);
  menu_ = new MainMenu(*this, commLog_ != nullptr);
  connect(menu_, &MainMenu::command, this, &MainWindow::Execute);
  statusText_ = new QLabel(this);
  statusText_->setObjectName("statusText");
  statusBar()->addWidget(statusText_, 1);
  BuildPages();
  TranslateWindow(*tabWidget_, context.language);
  BuildAccelerators();
  RestoreWindowState();
  Translate();

  connect(&idleTimer_, &QTimer::timeout, this, [this] {
    RefreshStatusBar();
    UpdateCommandStates();
  });
  idleTimer_.start(kIdleRefreshMs);
  RefreshStatusBar();
  UpdateCommandStates();
}

MainWindow::~MainWindow() {
  idleTimer_.stop();
  host_.link().CloseCommunication();
  if (commLog_) host_.AttachLog(nullptr);
  // The log views follow logs that are members: they go first.
  delete commLogWidget_;
  engine_.SetMonitorSink(nullptr);
  delete monitorPage_;
}

LinkEngineHostHooks MainWindow::Hooks() {
  return LinkEngineHostHooks{
      .text = [this](std::string_view key) { return context_.language.GetString(key); },
      .notified = [this](Notification code, int value) { commands_->OnNotification(code, value); },
      .password = [this] { return AskLoginPassword(); },
      .message = [this](const std::string& caption, const std::string& text) {
        context_.messages.ShowReady(caption, text, kStyleError);
      },
      .linkWanted = [this] { AskLinkSettingsWhenNone(); },
      .linkWaitStep = [this] { RefreshStatusBar(); },
      .busy = [this](bool busy) { SetBusy(busy); },
      .waitWhileConnecting =
          [this](const std::function<bool()>& settled) {
            ConnectWaitDialog wait(settled, this);
            return wait.exec() == ConnectWaitDialog::kSettled;
          },
  };
}

void MainWindow::BuildPages() {
  configuration_ = new ConfigurationView(context_.language, context_.messages, tabWidget_);
  configuration_->SetCellSource(commands_.get());
  configuration_->setObjectName("configurationView");
  if (context_.files.splitterPos1 != 0) {
    // The stored split, but never narrower than the tree's texts at start.
    const int treeWidth = std::max(static_cast<int>(context_.files.splitterPos1), configuration_->TreeWidthForTexts());
    configuration_->setSizes({treeWidth, width()});
  }
  documents_ = std::make_unique<DocumentCommands>(static_cast<DocumentWindow&>(*this), *configuration_, context_);
  connect(configuration_, &ConfigurationView::documentChanged, this, &MainWindow::DocumentStateChanged);
  connect(commands_.get(), &DeviceCommands::configurationReceived, this,
          [this] { documents_->TakeReceived(engine_.configTransfer().image()); });
  tabs_.SetPage(TabPageId::Configuration, *configuration_, true);
  diagnostics_ = new DiagnosticsView(
      context_.language, engine_, [this] { return host_.link().GetLinkState(); },
      std::chrono::milliseconds(context_.settings.diagnosticsRefresh), tabWidget_);
  diagnostics_->setObjectName("diagnosticsView");
  diagnostics_->SetSplitterPosition(static_cast<int>(context_.files.splitterPos2));
  tabs_.SetPage(TabPageId::Diagnostics, *diagnostics_, true);
  if (commLog_) {
    commLogWidget_ = new LogWidget(*commLog_, tabWidget_);
    commLogWidget_->setObjectName("communicationLog");
    connect(commLogWidget_, &LogWidget::contextMenuWanted, this, &MainWindow::ShowLogContextMenu);
    tabs_.SetPage(TabPageId::Communication, *commLogWidget_, false);
  }
  monitorPage_ = new MonitorPage(context_.language, context_.messages, engine_, context_.settings, MonitorTempFolder(),
                                 [this] { Execute(static_cast<int>(Command::LogSaveAs)); }, tabWidget_);
  monitorPage_->setObjectName("monitorPage");
  engine_.SetMonitorSink(&monitorPage_->log());
  connect(&monitorPage_->view(), &LogWidget::contextMenuWanted, this, &MainWindow::ShowLogContextMenu);
  tabs_.SetPage(TabPageId::Monitor, *monitorPage_, false);
  logs_ = std::make_unique<LogCommands>(context_, *this, [this] { return CurrentLog(); }, monitorPage_->view(),
                                        monitorPage_->log());
  tabWidget_->setCurrentIndex(0);
  diagnostics_->SetActive(false);
  // The diagnostics page polls only while its tab is the current one.
  connect(tabWidget_, &QTabWidget::currentChanged, this,
          [this] { diagnostics_->SetActive(tabs_.Current() == TabPageId::Diagnostics); });
}

void MainWindow::BuildAccelerators() {
  for (const Accelerator& accelerator : kAccelerators) {
    auto* shortcut = new QShortcut(accelerator.keys, this);
    const int id = static_cast<int>(accelerator.command);
    connect(shortcut, &QShortcut::activated, this, [this, id] { Execute(id); });
  }
}

void MainWindow::RestoreWindowState() {
  const WindowStateSettings& state = context_.windowState;
  if (auto rect = state.normalRect()) {
    // The screen it was closed on may be gone. The primary screen comes first.
    std::vector<WindowRect> screens;
    const QScreen* primary = QApplication::primaryScreen();
    const auto add = [&screens](const QScreen* screen) {
      const QRect area = screen->availableGeometry();
      screens.push_back({area.left(), area.top(), area.left() + area.width(), area.top() + area.height()});
    };
    if (primary != nullptr) add(primary);
    for (const QScreen* screen : QApplication::screens()) {
      if (screen != primary) add(screen);
    }
    rect = PlaceOnScreens(*rect, screens);
    setGeometry(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
  } else if (const QScreen* screen = QApplication::primaryScreen()) {
    resize(screen->availableSize() * 3 / 4);
  }
  menu_->toolbar().setVisible(state.toolbar != 0);
  statusBar()->setVisible(state.statusbar != 0);
  menu_->action(Command::ViewToolbar)->setChecked(state.toolbar != 0);
  menu_->action(Command::ViewStatusbar)->setChecked(state.statusbar != 0);
}

void MainWindow::SaveWindowState() {
  const QRect normal = normalGeometry();
  WindowSnapshot snapshot;
  snapshot.normalRect = WindowRect{normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height()};
  snapshot.maximized = isMaximized();
  snapshot.rebar = RebarState{.toolbarShown = menu_->toolbar().isVisible(), .menuBarFirst = true, .oneRow = true};
  snapshot.statusbarVisible = statusBar()->isVisible();
  context_.windowState.capture(snapshot);
  tusko::SaveWindowState(context_.store, context_.windowState);
}

void MainWindow::Translate() {
  const LanguageManager& language = context_.language;
  menu_->Translate(language);
  tabs_.Translate(language);
  configuration_->Retranslate();
  diagnostics_->Retranslate();
  monitorPage_->Retranslate();
  DocumentStateChanged();
  // Every page, shown or not, is a child of the tab view.
  RetranslateWindow(*tabWidget_, language);
  RefreshStatusBar();
}

// ---- State ----

QString MainWindow::StatusText() const { return statusText_->text(); }

void MainWindow::RefreshStatusBar() {
  const LinkState state = host_.link().GetLinkState();
  statusText_->setText(ToQString(LinkStatusText(context_.settings, state, context_.language)));
  if (connectingCursor_ && state != LinkState::Connecting) {
    connectingCursor_ = false;
    unsetCursor();
  }
}

void MainWindow::UpdateCommandStates() {
  const auto enable = [this](Command command, bool enabled) {
    if (QAction* item = menu_->action(command)) item->setEnabled(enabled);
  };
  const bool document = configuration_->document().HasDocument();
  for (Command command : {Command::FileSave, Command::FileSaveAs, Command::FileClose, Command::WriteConfiguration}) {
    enable(command, document);
  }
  const LogWidget* log = CurrentLog();
  const bool hasText = log != nullptr && !log->IsEmpty();
  enable(Command::Copy, log != nullptr && log->HasSelection());
  for (Command command : {Command::SelectAll, Command::Clear, Command::Find, Command::FindNext, Command::LogSaveAs}) {
    enable(command, hasText);
  }
  const LinkState state = host_.link().GetLinkState();
  enable(Command::Connect, state == LinkState::Closed);
  enable(Command::Disconnect, state != LinkState::Closed);
  menu_->action(Command::ToggleMonitor)->setChecked(tabs_.IsShown(TabPageId::Monitor));
  if (QAction* item = menu_->action(Command::ToggleCommunication)) item->setChecked(tabs_.IsShown(TabPageId::Communication));
}

void MainWindow::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  // The password dialog stays usable while the gateway answers it.
  if (!commands_->PasswordDialogOpen()) {
    menuBar()->setEnabled(!busy);
    menu_->toolbar().setEnabled(!busy);
    centralWidget()->setEnabled(!busy);
  }
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

// ---- Link ----

void MainWindow::OpenLinkQuietly() { host_.OpenQuietlyIfConfigured(); }

bool MainWindow::FollowUsbDevices() { return host_.FollowUsbDevices(); }

std::optional<std::string> MainWindow::AskLoginPassword() {
  SetBusy(false);
  LoginDialog dialog(context_.language, this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.password();
}

void MainWindow::AskLinkSettingsWhenNone() {
  diagnostics_->AllowRefresh();
  if (host_.link().GetLinkState() != LinkState::Open && !LinkSettingsComplete(context_.settings)) EditLinkSettings();
}

bool MainWindow::EditLinkSettings() {
  ProgramSettings& settings = context_.settings;
  const LinkChoice current{settings.comMode, settings.virtualComPort, settings.tcpAddress, settings.tcpPort};
  CommunicationDialog dialog(context_.language, current, ListSerialPorts(), this);
  if (dialog.exec() != QDialog::Accepted || dialog.choice() == current) return false;
  const LinkChoice chosen = dialog.choice();
  settings.comMode = chosen.comMode;
  settings.virtualComPort = chosen.portName;
  settings.tcpAddress = chosen.tcpAddress;
  settings.tcpPort = chosen.tcpPort;
  SaveProgramSettings(context_.store, settings);
  RefreshStatusBar();
  return true;
}

void MainWindow::Connect() {
  // Busy while the wait runs the event loop, so that no command starts meanwhile.
  SetBusy(true);
  host_.EnsureLinkOpen(false);
  SetBusy(false);
  connectingCursor_ = host_.link().GetLinkState() == LinkState::Connecting;
  if (connectingCursor_) setCursor(Qt::BusyCursor);
  diagnostics_->AllowRefresh();
  RefreshStatusBar();
}

void MainWindow::Disconnect() {
  host_.link().CloseTransport();
  connectingCursor_ = false;
  unsetCursor();
  diagnostics_->StopRefresh();
  RefreshStatusBar();
}

void MainWindow::CommunicationSettings() {
  if (!EditLinkSettings()) return;
  // CloseCommunication returns with the threads joined and the link closed: no wait is left to do.
  host_.link().CloseCommunication();
  Connect();
}

// ---- Commands ----

// Every way to a command passes here, the accelerators and the title bar's
// close as well: while busy none runs, otherwise what the menus offer.
bool MainWindow::CommandEnabled(Command command) {
  if (busy_) return false;
  UpdateCommandStates();
  const QAction* item = menu_->action(command);
  return item == nullptr || item->isEnabled();
}

void MainWindow::Execute(int command) {
  if (!CommandEnabled(static_cast<Command>(command))) return;
  const int recent = command - static_cast<int>(Command::FileRecentFirst);
  if (recent >= 0 && recent < kRecentFileEntries) {
    documents_->OpenRecent(recent);
    return;
  }
  switch (static_cast<Command>(command)) {
    case Command::FileNew: documents_->New(); break;
    case Command::FileOpen: documents_->Open(); break;
    case Command::FileSave: documents_->Save(); break;
    case Command::FileSaveAs: documents_->SaveAs(); break;
    case Command::FileClose: documents_->Close(); break;
    case Command::WriteConfiguration: commands_->WriteConfiguration(); break;
    case Command::FileQuit: close(); break;
    case Command::ViewToolbar: menu_->toolbar().setVisible(!menu_->toolbar().isVisible()); break;
    case Command::ViewStatusbar: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case Command::Connect: Connect(); break;
    case Command::Disconnect: Disconnect(); break;
    case Command::CommunicationSettings: CommunicationSettings(); break;
    case Command::Language: ChooseLanguage(); break;
    case Command::ChangePassword: commands_->ChangePassword(); break;
    case Command::DateTime: commands_->DateTime(); break;
    case Command::Restart: commands_->Restart(); break;
    case Command::ModuleRestart: commands_->RestartModule(); break;
    case Command::ReadConfiguration:
      // The gateway's configuration replaces the document: unsaved edits are asked about first.
      if (documents_->MayDiscard()) commands_->ReadConfiguration();
      break;
    case Command::SystemInformation: commands_->SystemInformation(); break;
    case Command::WriteFirmware: commands_->WriteFirmware(); break;
    case Command::UpdateAnnouncement: commands_->UpdateAnnouncement(); break;
    case Command::DownloadCdr: commands_->DownloadCdr(); break;
    case Command::ToggleMonitor: ToggleTab(TabPageId::Monitor, Command::ToggleMonitor); break;
    case Command::ToggleCommunication: ToggleTab(TabPageId::Communication, Command::ToggleCommunication); break;
    case Command::NextTab: tabs_.Next(); break;
    case Command::PreviousTab: tabs_.Previous(); break;
    case Command::NextPane: MoveFocusToPane(*tabWidget_, 1); break;
    case Command::PreviousPane: MoveFocusToPane(*tabWidget_, -1); break;
    case Command::HelpContents: ShowHelp(); break;
    case Command::About: ShowAbout(); break;
    case Command::Copy:
      if (LogWidget* log = CurrentLog()) log->CopySelection();
      break;
    case Command::SelectAll:
      if (LogWidget* log = CurrentLog()) log->SelectAll();
      break;
    case Command::Clear:
      // The monitor's clear starts its temporary file anew as well.
      if (tabs_.Current() == TabPageId::Monitor) {
        monitorPage_->log().Clear();
      } else if (LogWidget* log = CurrentLog()) {
        log->Clear();
      }
      break;
    case Command::Find: logs_->Find(); break;
    case Command::FindNext: logs_->FindNext(); break;
    case Command::LogSaveAs: logs_->SaveAs(); break;
    default: break;
  }
  UpdateCommandStates();
}

void MainWindow::ToggleTab(TabPageId id, Command item) {
  tabs_.Toggle(id);
  if (QAction* action = menu_->action(item)) action->setChecked(tabs_.IsShown(id));
}

void MainWindow::ChooseLanguage() {
  ProgramSettings& settings = context_.settings;
  const int previous = static_cast<int>(settings.language);
  LanguageDialog dialog(context_.language, previous, this);
  if (dialog.exec() != QDialog::Accepted || dialog.language() == previous) return;
  const LanguageChange change = ChangeLanguage(context_.language, settings, context_.store, dialog.language());
  if (!change.changed) {
    // The window keeps the texts it has: the previous language is loaded again.
    context_.messages.ShowFixed(std::string(kLoadErrorCaption), change.loadError, kStyleError);
    return;
  }
  Translate();
}

void MainWindow::ShowHelp() {
  if (context_.language.HelpFileViewer() != HelpViewer::HtmlPage) return;
  const std::string path = context_.language.HelpFile().string();
  // Without a browser the desktop says so only on the terminal, which the user does not see.
  if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
    context_.messages.Show("strHelpNoBrowser", "strError", kStyleWarning, {path});
  }
}

void MainWindow::ShowAbout() {
  AboutDialog dialog(context_.language, this);
  dialog.exec();
}

// ---- Log pages ----

LogWidget* MainWindow::CurrentLog() const {
  switch (tabs_.Current().value_or(TabPageId::Configuration)) {
    case TabPageId::Communication: return commLogWidget_;
    case TabPageId::Monitor: return &monitorPage_->view();
    default: return nullptr;
  }
}

void MainWindow::ShowLogContextMenu(const QPoint& globalPos) {
  if (CurrentLog() == nullptr) return;
  UpdateCommandStates();
  menu_->logContextMenu().exec(globalPos);
}

MonitorLog& MainWindow::Monitor() { return monitorPage_->log(); }

// ---- The configuration document ----

const ConfigurationImage& MainWindow::CommittedImage() const { return configuration_->document().CommittedImage(); }

void MainWindow::ShowConfigurationTab() { tabs_.Select(TabPageId::Configuration); }

void MainWindow::DocumentStateChanged() {
  const std::string application = context_.language.GetString(kAppNameKey);
  const ConfigurationDocument& document = configuration_->document();
  const std::string name = document.DocumentName();
  // Unsaved changes show as the usual mark before the name.
  const std::string mark = document.Modified() ? "*" : "";
  setWindowTitle(ToQString(name.empty() ? application : mark + name + " - " + application));
  menu_->SetRecentFiles(context_.recentFiles.entries());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  // Only the first file counts; the drop is finished either way.
  event->acceptProposedAction();
  if (!urls.isEmpty() && urls.first().isLocalFile()) documents_->OpenDropped(urls.first().toLocalFile().toStdString());
}

// ---- Closing ----

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!CommandEnabled(Command::FileQuit)) {
    event->ignore();
    return;
  }
  if (monitorPage_->log().IsActive()) engine_.StopMonitoring();
  if (!documents_->MayDiscard()) {
    event->ignore();
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  host_.link().CloseCommunication();
  if (const QList<int> sizes = configuration_->sizes(); !sizes.isEmpty()) {
    context_.files.splitterPos1 = static_cast<std::uint32_t>(sizes.first());
  }
  context_.files.splitterPos2 = static_cast<std::uint32_t>(diagnostics_->SplitterPosition());
  SaveWindowState();
  QApplication::restoreOverrideCursor();
  event->accept();
}

}  // namespace tusko::gui
