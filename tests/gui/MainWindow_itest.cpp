// The real main window against the gateway simulator: the link, the
// language, logins, the document's title, the window's keys and close, and the
// gateway's commands: writing and reading the configuration, firmware updates,
// CDR downloads and the monitor's pause around them, and the boxes their endings show.
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <tuple>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "app/gui/CommunicationDialog.h"
#include "app/gui/ConfigurationView.h"
#include "app/gui/DateTimeDialog.h"
#include "app/gui/DiagnosticsView.h"
#include "app/gui/FindDialog.h"
#include "app/gui/LanguageDialog.h"
#include "app/gui/LoginDialog.h"
#include "app/gui/MainMenu.h"
#include "app/gui/MonitorPage.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/ProgressDialog.h"
#include "app/gui/UiText.h"
#include "app/gui/WriteChangesDialog.h"
#include "app/session/ConfigBackups.h"
#include "app/settings/SettingsStore.h"
#include "app/settings/WindowStateSettings.h"
#include "config/ConfigurationFile.h"
#include "config/ImageLayout.h"
#include "config/TextFields.h"
#include "gui/support/MainWindowFixture.h"
#include "gui/support/ModalDriver.h"
#include "gui/support/WidgetHands.h"
#include "protocol/InformationElements.h"
#include "protocol/engine/OperationEngine.h"
#include "support/FileText.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko::gui::test {
namespace {

constexpr int kLinkLimitMs = 10000;
constexpr int kRestartLimitMs = 30000;
constexpr int kTransferLimitMs = 60000;
constexpr int kFirmwareLimitMs = 90000;
constexpr std::size_t kFirstPortDigit = 63;

QString Q(const std::string& text) { return ToQString(text); }

void ChooseLanguage(MainWindow& window, int number) {
  ModalDriver<LanguageDialog> pick([number](LanguageDialog& dialog) {
    auto* list = dialog.findChild<QComboBox*>();
    list->setCurrentIndex(list->findData(number));
    dialog.accept();
  });
  window.Execute(static_cast<int>(Command::Language));
  ASSERT_TRUE(pick.seen());
}

class MainWindowTest : public MainWindowFixture {};

// Takes the place of the desktop's browser for file addresses.
class OpenedUrls : public QObject {
  Q_OBJECT

 public:
  OpenedUrls() { QDesktopServices::setUrlHandler("file", this, "Open"); }
  ~OpenedUrls() override { QDesktopServices::unsetUrlHandler("file"); }
  QList<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls << url; }
};

// Without a browser, as on the offscreen platform, Help says where its file is.
// Menus, tabs, title and status bar change at once; Help opens the new language's page.
TEST_F(MainWindowTest, LanguageSwitchTranslatesTheWindowAndItsHelpAtOnce) {
  MainWindow& window = OpenWindow();
  Run(Command::HelpContents);
  ASSERT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strHelpNoBrowser"});
  EXPECT_EQ(boxes_.shown()[0].captionKey, "strError");
  EXPECT_NE(boxes_.shown()[0].message.text.find(language_.HelpFile().string()), std::string::npos);

  OpenedUrls browser;
  Run(Command::HelpContents);
  ChooseLanguage(window, 2);
  Run(Command::HelpContents);

  const LanguageManager german = LoadedLanguage(2);
  EXPECT_EQ(settings_.language, 2u);
  auto* tabs = window.findChild<QTabWidget*>();
  EXPECT_EQ(tabs->tabText(0), Q(german.GetString("strTabConfiguration")));
  EXPECT_EQ(tabs->tabText(1), Q(german.GetString("strTabDiagnostics")));
  EXPECT_EQ(window.menuBar()->actions().first()->text(), Q(german.GetMenuString("menuFile")));
  EXPECT_EQ(window.windowTitle(), Q(german.GetString("strAppName")));
  EXPECT_EQ(window.StatusText(), Q("TCP: 127.0.0.1 - " + german.GetString("strStatDisconnected")));
  ASSERT_EQ(browser.urls.size(), 2);
  EXPECT_TRUE(browser.urls[0].toLocalFile().endsWith("help/en/index.html")) << browser.urls[0].toString().toStdString();
  EXPECT_TRUE(browser.urls[1].toLocalFile().endsWith("help/de/index.html"));
  EXPECT_TRUE(QFileInfo(browser.urls[1].toLocalFile()).isFile());
}

// A cancelled login says so and ends the request. A login and the computer's
// time set on the gateway then go through; a password change refused leaves
// its dialog open for another try, and given up keeps the login; the next
// change goes through. The communication log shows neither password.
TEST_F(MainWindowTest, LoginsTheClockAndAPasswordChangeLeaveNoPasswordInTheCommunicationLog) {
  settings_.communicationLog = 1;
  simulator().Run([](sim::GatewayModel& gateway) { gateway.Identity().password = "Secr3tPw"; });
  MainWindow& window = OpenWindow();
  ModalDriver<LoginDialog> cancelled([](LoginDialog& dialog) { dialog.reject(); });
  Run(Command::DateTime);
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.shown().size() >= 2; }, kLinkLimitMs));
  EXPECT_TRUE(cancelled.seen());
  EXPECT_EQ(boxes_.shown()[0].message.text, Text("strLoginStop"));
  EXPECT_EQ(boxes_.shown()[0].message.caption, Text("strLoginError"));
  EXPECT_EQ(boxes_.shown()[1].textKey, "strDateTimeGetError");
  EXPECT_FALSE(window.busy());
  boxes_.Clear();

  ModalDriver<LoginDialog> login([](LoginDialog& dialog) {
    QTest::keyClicks(dialog.findChild<QLineEdit*>(), "Secr3tPw");
    dialog.accept();
  });
  ModalDriver<DateTimeDialog> clock([](DateTimeDialog& dialog) { Click(dialog, "synchronizeButton"); });
  Run(Command::DateTime);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kLinkLimitMs));
  EXPECT_TRUE(login.seen() && clock.seen());
  EXPECT_EQ(window.engine().loginPassword(), "Secr3tPw");
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strDateTimeSynchronized"});
  EXPECT_EQ(boxes_.shown()[0].captionKey, "strFinish");
  boxes_.Clear();
  ModalDriver<PasswordDialog> refused([&](PasswordDialog& dialog) {
    window.deviceCommands().OnNotification(Notification::NotAllowed, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kLinkLimitMs));
    EXPECT_TRUE(dialog.isVisible()) << "open for another try";
    static_cast<QDialog&>(dialog).reject();
  });
  Run(Command::ChangePassword);
  EXPECT_EQ(window.engine().loginPassword(), "Secr3tPw") << "a change given up keeps the login";
  ModalDriver<PasswordDialog> change([](PasswordDialog& dialog) {
    Retype(dialog, "oldPassword", "Secr3tPw");
    Retype(dialog, "newPassword", "N3wPassw");
    Retype(dialog, "confirmPassword", "N3wPassw");
    Click(dialog, "okButton");
  });
  Run(Command::ChangePassword);
  ASSERT_EQ(window.engine().loginPassword(), "N3wPassw");
  EXPECT_EQ(simulator().Run([](sim::GatewayModel& gateway) { return gateway.Identity().password; }), "N3wPassw");
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strErrorNotAllowed"});

  ASSERT_NE(window.communicationLog(), nullptr);
  // A dump wrapped over two lines still shows a password's bytes in a row.
  std::string log = window.communicationLog()->Text();
  std::erase(log, '\r');
  std::replace(log.begin(), log.end(), '\n', ' ');
  EXPECT_NE(log.find("OUT: A1"), std::string::npos) << log;
  for (const char* secret : {"Secr3tPw", "53 65 63 72 33 74 50 77", "N3wPassw", "4E 33 77 50 61 73 73 77"}) {
    EXPECT_EQ(log.find(secret), std::string::npos) << secret << " in:\n" << log;
  }
}

TEST_F(MainWindowTest, RestartShowsTheNoticeUntilTheGatewayIsBack) {
  MainWindow& window = OpenWindow();
  bool linkDownDuringNotice = false;
  ModalDriver<NotifyDialog> notice([&](NotifyDialog&) {
    linkDownDuringNotice = QTest::qWaitFor(
        [&] { return window.host().link().GetLinkState() != LinkState::Open; }, kRestartLimitMs);
  });

  Run(Command::Restart);
  ASSERT_TRUE(QTest::qWaitFor([&] { return notice.seen() && QApplication::activeModalWidget() == nullptr; },
                              kRestartLimitMs));
  EXPECT_TRUE(linkDownDuringNotice) << "the notice was up while the gateway restarted";
  EXPECT_EQ(window.host().link().GetLinkState(), LinkState::Open) << "the notice ends when the firmware runs again";
  EXPECT_FALSE(window.busy());
  EXPECT_TRUE(boxes_.shown().empty());
}

// Connect with an address but no port asks for the settings; the status bar and
// the menu follow the link as it opens and closes.
TEST_F(MainWindowTest, ConnectAsksForAnIncompleteLinkAndTheStatusBarFollowsTheLink) {
  ASSERT_TRUE(simulator().Ready()) << simulator().Error();
  settings_.tcpPort = 0;  // an address without a port names no link
  MainWindow& window = OpenWindow();
  const QString closed = Q("TCP: 127.0.0.1 - " + Text("strStatDisconnected"));
  const QString open = Q("TCP: 127.0.0.1 - " + Text("strStatConnected"));
  EXPECT_EQ(window.StatusText(), closed);
  window.OpenLinkQuietly();
  EXPECT_EQ(window.host().link().GetLinkState(), LinkState::Closed) << "no quiet open at start";

  ModalDriver<CommunicationDialog> ask([](CommunicationDialog& dialog) { dialog.reject(); });
  Run(Command::Connect);
  EXPECT_TRUE(ask.seen());
  EXPECT_EQ(settings_.tcpPort, 0u) << "a cancelled dialog changes nothing";
  EXPECT_EQ(window.host().link().GetLinkState(), LinkState::Closed);
  EXPECT_FALSE(boxes_.shown().empty()) << "the failed open says why";
  boxes_.Clear();

  ModalDriver<CommunicationDialog> answer([&](CommunicationDialog& dialog) {
    Retype(dialog, "tcpPort", QString::number(simulator().Port()));
    Click(dialog, "okButton");
  });
  Run(Command::Connect);
  EXPECT_TRUE(answer.seen());
  EXPECT_EQ(settings_.tcpPort, simulator().Port());
  ASSERT_TRUE(WaitForLinkState(LinkState::Open, kLinkLimitMs));
  EXPECT_EQ(store_.readNumber(kSettingsSection, "TcpPort"), simulator().Port()) << "the new port is saved";
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusText() == open; }, kLinkLimitMs));
  EXPECT_FALSE(window.menu().action(Command::Connect)->isEnabled());
  EXPECT_TRUE(window.menu().action(Command::Disconnect)->isEnabled());

  Run(Command::Disconnect);
  EXPECT_TRUE(WaitForLinkState(LinkState::Closed, kLinkLimitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusText() == closed; }, kLinkLimitMs));
  EXPECT_TRUE(window.menu().action(Command::Connect)->isEnabled());
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(MainWindowTest, LogSaveAsWritesTheLogAndRemembersTheFolder) {
  settings_.communicationLog = 1;
  MainWindow& window = OpenWindow();
  Run(Command::ToggleCommunication);
  window.tabs().Select(TabPageId::Communication);
  window.communicationLog()->AddLine("Socket OK", LogColour::Link);
  QApplication::processEvents();  // the view shows the line
  const tusko::test::TempFolder folder;
  fileDialogs_.Answer(FileAnswer{folder / "comm.txt", 2});

  Run(Command::LogSaveAs);
  ASSERT_EQ(fileDialogs_.asked().size(), 1u);
  EXPECT_EQ(fileDialogs_.asked()[0].titleKey, "strLogSave");
  EXPECT_EQ(fileDialogs_.asked()[0].filterKey, "strLogSaveFilter");
  EXPECT_TRUE(tusko::test::ReadFileText(folder / "comm.txt").starts_with("Socket OK\r\n"));
  EXPECT_EQ(files_.browsePathLog, folder.path().string());
  EXPECT_EQ(files_.openSaveFilterLog, 2u);

  fileDialogs_.Answer(FileAnswer{folder / "missing-folder" / "comm.txt", 1});
  Run(Command::LogSaveAs);
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strLogSaveError"});
}

// Read configuration over a document with unsaved edits: the save question
// comes first; Cancel keeps the edits, No lets the gateway's replace them,
// Yes saves them first.
TEST_F(MainWindowTest, ReadConfigurationAsksBeforeUnsavedEditsAreReplaced) {
  const struct {
    const char* name;
    int answer;
    std::string_view nameAfter;
    bool saved;
  } rows[] = {{"cancel", kResultCancel, "Edited", false},
              {"no", kResultNo, "Sentarix Office", false},
              {"yes", kResultYes, "Sentarix Office", true}};
  MainWindow& window = OpenWindow();
  const tusko::test::TempFolder folder;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ConfigurationImage edited = MakeDefaultImage();
    WriteCountedText(edited, layout::general::kDeviceName, "Edited");
    ConfigurationDocument& document = window.configuration().document();
    document.ShowReceived(edited);
    boxes_.Answer(row.answer);
    if (row.saved) fileDialogs_.Answer(FileAnswer{folder / row.name, 1});
    Run(Command::ReadConfiguration);
    const auto committedName = [&document] {
      ConfigurationImage committed = document.CommittedImage();
      return ReadCountedText(committed, layout::general::kDeviceName);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return committedName() == row.nameAfter; }, kTransferLimitMs));
    ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
    EXPECT_EQ(std::filesystem::exists(folder / row.name), row.saved);
    EXPECT_TRUE(document.Modified()) << "a configuration read from the gateway counts as unsaved";
    EXPECT_EQ(boxes_.ShownKeys().front(), "strDataSaveQuestion");
    boxes_.Clear();
  }
}

// The title marks unsaved changes with "*" before the document's name.
TEST_F(MainWindowTest, TheTitleMarksUnsavedChanges) {
  MainWindow& window = OpenWindow();
  const tusko::test::TempFolder folder;
  const QString app = Q(Text("strAppName"));
  const struct {
    const char* name;
    std::function<void()> step;
    QString title;
  } rows[] = {
      {"new", [&] { Run(Command::FileNew); }, "untitled - " + app},
      {"page_edited_and_left",
       [&] {
         window.configuration().SelectNode(PageId::SystemNetwork);
         window.findChild<QSpinBox*>("network.port")->setValue(2345);
         window.configuration().SelectNode(PageId::Root);
       },
       "*untitled - " + app},
      // A file that fails to open keeps the edited document and where the user looked.
      {"failed_open",
       [&] {
         ConfigurationDocument& document = window.configuration().document();
         const ConfigurationImage edited = document.CommittedImage();
         tusko::test::WriteFileText(folder / "bad.cfg", "not a configuration");
         boxes_.Answer(kResultNo);  // the save question: discard the edit
         fileDialogs_.Answer(FileAnswer{folder / "bad.cfg", 1});
         Run(Command::FileOpen);
         EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strDataSaveQuestion", "strDataOpenError"}));
         EXPECT_EQ(document.CommittedImage(), edited);
         EXPECT_TRUE(document.Modified());
         EXPECT_EQ(files_.browsePathData, folder.path().string());
       },
       "*untitled - " + app},
      {"saved",
       [&] {
         fileDialogs_.Answer(FileAnswer{folder / "office.cfg", 1});
         Run(Command::FileSave);
       },
       "office.cfg - " + app},
      {"closed", [&] { Run(Command::FileClose); }, app},
  };
  for (const auto& row : rows) {
    row.step();
    EXPECT_EQ(window.windowTitle(), row.title) << row.name;
  }
}

// The cells module 1 sees, read from the gateway: one of them added to the
// allowed cells reaches the committed image.
TEST_F(MainWindowTest, AnOnlineCellReadFromTheGatewayJoinsTheAllowedCells) {
  constexpr std::size_t kCellSelection = 21672;  // action, count, two reserved, then the cells
  MainWindow& window = OpenWindow();
  ConfigurationView& view = window.configuration();
  view.document().ShowReceived(MakeDefaultImage());
  view.SelectNode(PageId::GsmCellSelect);
  Click(view, "onlineCells/read");
  auto& online = Child<QTreeWidget>(view, "onlineCells");
  ASSERT_TRUE(QTest::qWaitFor([&] { return online.topLevelItemCount() > 0; }, kTransferLimitMs));
  EXPECT_EQ(online.topLevelItemCount(), 3);
  online.setCurrentItem(online.topLevelItem(1));
  Click(view, "onlineCells/add");
  view.SelectNode(PageId::Root);
  const auto committed = [&view](std::size_t offset, std::size_t count) {
    const auto bytes = view.document().CommittedImage().Range(offset, count);
    return std::string(bytes.begin(), bytes.end());
  };
  EXPECT_EQ(committed(kCellSelection, 2), "\xFF\x01");
  EXPECT_EQ(committed(kCellSelection + 4, 14), "001\xFF" "011A2B0C32");
  EXPECT_TRUE(boxes_.ShownKeys().empty());
}

// ---- Keys and close ----

struct Keys {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// What a command leaves behind where a test can see it: boxes, file
// questions, the tab, whether the find dialog is up, and the focus.
using Trace = std::tuple<std::size_t, std::size_t, std::optional<TabPageId>, bool, const QWidget*>;

class MainWindowKeysTest : public MainWindowFixture {
 protected:
  // A window with an unsaved document and a communication log with a line in it.
  MainWindow& OpenActiveWindow() {
    settings_.communicationLog = 1;
    MainWindow& window = OpenWindow();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    Run(Command::ToggleCommunication);
    window.communicationLog()->AddLine("Socket OK", LogColour::Link);
    window.configuration().document().ShowReceived(MakeDefaultImage());
    QApplication::processEvents();
    return window;
  }

  // An operation under way and its end, as the engine tells the window of them.
  void Busy(bool on) {
    window().deviceCommands().OnNotification(on ? Notification::GetTimeRequested : Notification::ModuleResetResult,
                                             on ? 0 : 1);
    ASSERT_EQ(window().busy(), on);
  }

  void Press(Keys keys) {
    QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : &window();
    QTest::keyClick(target, keys.key, keys.modifiers);
    QApplication::processEvents();
  }

  Trace Observe() {
    const auto* find = window().findChild<FindDialog*>();
    return {boxes_.shown().size(), fileDialogs_.asked().size(), window().tabs().Current(),
            find != nullptr && find->isVisible(), QApplication::focusWidget()};
  }
};

// Each key runs its command while the window is idle, and nothing while it is busy.
TEST_F(MainWindowKeysTest, BusyKeysRunNothing) {
  const struct {
    const char* name;
    Keys keys;
    TabPageId tab;  // where the key is pressed
  } rows[] = {
      {"CtrlN", {Qt::Key_N, Qt::ControlModifier}, TabPageId::Configuration},
      {"CtrlS", {Qt::Key_S, Qt::ControlModifier}, TabPageId::Configuration},
      {"F1", {Qt::Key_F1}, TabPageId::Configuration},
      {"CtrlTab", {Qt::Key_Tab, Qt::ControlModifier}, TabPageId::Configuration},
      {"F6", {Qt::Key_F6}, TabPageId::Configuration},
      {"CtrlF", {Qt::Key_F, Qt::ControlModifier}, TabPageId::Communication},
      {"F3", {Qt::Key_F3}, TabPageId::Communication},
  };
  MainWindow& window = OpenActiveWindow();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    // A find dialog of the row before took the keyboard.
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.tabs().Select(row.tab);
    Busy(true);
    const Trace busy = Observe();
    Press(row.keys);
    EXPECT_EQ(Observe(), busy) << "nothing runs while busy";

    Busy(false);
    const Trace idle = Observe();
    Press(row.keys);
    EXPECT_NE(Observe(), idle) << "the key runs its command when idle";
    delete window.findChild<FindDialog*>();
  }
}

// Busy, neither Exit nor the title bar's close asks anything or closes;
// idle, both ask the save question, whose Cancel keeps the window and whose
// No closes it with its size and toolbar saved.
TEST_F(MainWindowKeysTest, TheTitleBarsCloseTakesExitsPath) {
  const struct {
    const char* name;
    void (*close)(MainWindow&);
  } rows[] = {
      {"Exit", [](MainWindow& window) { window.Execute(static_cast<int>(Command::FileQuit)); }},
      {"TitleBarClose", [](MainWindow& window) { window.close(); }},
  };
  MainWindow& window = OpenActiveWindow();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    boxes_.Clear();
    Busy(true);
    row.close(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(boxes_.shown().empty());

    Busy(false);
    boxes_.Answer(kResultCancel);
    row.close(window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strDataSaveQuestion"});
  }
  window.setGeometry(40, 50, 700, 560);
  Run(Command::ViewToolbar);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.menu().toolbar().isVisible(); }, kLinkLimitMs));
  boxes_.Answer(kResultNo);
  window.close();
  EXPECT_FALSE(window.isVisible());
  const WindowStateSettings saved = LoadWindowState(store_);
  EXPECT_EQ(saved.cx, 700u);
  EXPECT_EQ(saved.cy, 560u);
  EXPECT_EQ(saved.toolbar, 0u);
}

// ---- Diagnostics ----

TEST_F(MainWindowTest, TheNoResponseWindowComesWhileTheGatewayIsSilentAndGoesWithItsAnswer) {
  const auto noResponseWindow = [this]() -> QMessageBox* {
    for (auto* box : window().findChildren<QMessageBox*>()) {
      if (box->isVisible()) return box;
    }
    return nullptr;
  };
  settings_.diagnosticsRefresh = 200;
  OpenWindow().OpenLinkQuietly();
  ASSERT_TRUE(WaitForLinkState(LinkState::Open, kLinkLimitMs));
  window().tabs().Select(TabPageId::Diagnostics);
  window().diagnostics().SelectNode(DiagNodeId::IsdnLines);
  ASSERT_TRUE(window().diagnostics().RefreshRunning());
  // Enough lost requests for a whole refresh period without an answer.
  simulator().Run([](sim::GatewayModel& gateway) {
    gateway.InjectFault({sim::FaultKind::DropReply, ie::IsdnStatus, 0, 4});
  });
  ASSERT_TRUE(QTest::qWaitFor([&] { return noResponseWindow() != nullptr; }, kTransferLimitMs));
  EXPECT_EQ(noResponseWindow()->text().toStdString(), Text("strDiagErrorNoResponse"));
  EXPECT_EQ(noResponseWindow()->windowTitle().toStdString(), language_.GetCaptionString("strError"));
  EXPECT_FALSE(noResponseWindow()->isModal()) << "polling goes on behind it";
  EXPECT_EQ(window().findChildren<QMessageBox*>().size(), 1) << "one window however many polls go unanswered";
  // The gateway answers again: the window goes by itself.
  EXPECT_TRUE(QTest::qWaitFor([&] { return noResponseWindow() == nullptr; }, kTransferLimitMs));
  EXPECT_FALSE(window().diagnostics().RefreshStopped());
}

// ---- The gateway's commands ----

class DeviceCommandsTest : public MainWindowFixture {
 protected:
  // A notification as the engine delivers it, and what the event loop then does for it.
  void Notify(Notification code, OperationResult result) {
    window().deviceCommands().OnNotification(code, static_cast<int>(result));
    QCoreApplication::processEvents();
  }
  ConfigurationDocument& Document() { return window().configuration().document(); }
};

struct WriteRow {
  std::string name;
  bool backup;
  bool gatewayAltersAByte;
  std::vector<std::string> keys;
  const char* verdictNames;  // in the last box's text, with backups
  bool backupUnsaved = false;  // a file where the data folder should be; the user answers No to going on
};

class WriteConfigurationTest : public DeviceCommandsTest, public testing::WithParamInterface<WriteRow> {};

// The edited network page is written and the restart that takes it over is
// announced. Without backups the user confirms a question; with them the
// gateway's configuration is read and kept, the fields that change are listed
// with both values, and reading back after the write agrees or names what
// differs. A backup that cannot be saved is said, and No to writing without
// one writes nothing.
TEST_P(WriteConfigurationTest, SendsTheEditedNetworkPage) {
  const WriteRow& row = GetParam();
  const tusko::test::TempFolder data;
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  if (row.backupUnsaved) {
    tusko::test::WriteFileText(data / "Ombrel", "a file where the data folder should be");
    boxes_.Answer(kResultOk);
    boxes_.Answer(kResultNo);
  }
  settings_.configBackup = row.backup ? 1 : 0;
  if (row.gatewayAltersAByte) {
    simulator().Run([](sim::GatewayModel& gateway) { gateway.Configuration().AlterOnCommit(kFirstPortDigit); });
  }
  const ConfigurationImage before = StoredConfiguration();
  OpenWindow();
  Run(Command::FileNew);
  window().configuration().SelectNode(PageId::SystemNetwork);
  window().findChild<QSpinBox*>("network.port")->setValue(2345);

  QString noticeText;
  ModalDriver<NotifyDialog> notice(
      [&](NotifyDialog& dialog) { noticeText = Child<QLabel>(dialog, "noticeText").text(); });
  QStringList portRow;
  ModalDriver<WriteChangesDialog> question([&](WriteChangesDialog& dialog) {
    const auto found = dialog.findChild<QTreeWidget*>("changeList")->findItems("TCP port", Qt::MatchExactly);
    if (!found.empty()) portRow = {found.front()->text(1), found.front()->text(2)};
    dialog.findChild<QCheckBox*>("verifyBox")->setChecked(true);
    QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
  });
  Run(Command::WriteConfiguration);
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() == 2; }, kTransferLimitMs));
  // The change list is confirmed at once, while the backup's progress dialog still closes: the
  // upload's own dialog must still end, with the window idle.
  ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(), row.keys) << "no error after the upload, and word once the gateway runs again";
  if (row.backupUnsaved) {
    EXPECT_TRUE(StoredConfiguration() == before);
    return;
  }
  EXPECT_EQ(noticeText.toStdString(), Text("strDataWrittenRestarting"));
  if (!row.gatewayAltersAByte) {
    EXPECT_EQ(StoredConfiguration().Text(kFirstPortDigit, 5), "02345");
  }
  if (!row.backup) return;

  EXPECT_EQ(portRow, (QStringList{QString::number(std::stoi(before.Text(kFirstPortDigit, 5))), "2345"}));
  EXPECT_NE(boxes_.shown().back().message.text.find(row.verdictNames), std::string::npos)
      << boxes_.shown().back().message.text;
  std::vector<std::filesystem::path> backups;
  for (const auto& entry : std::filesystem::directory_iterator(BackupRulesFrom(settings_, false)->folder)) {
    backups.push_back(entry.path());
  }
  ASSERT_EQ(backups.size(), 1u);
  const ConfigurationReadResult backup = ReadConfigurationFile(backups.front());
  ASSERT_TRUE(backup.image.has_value());
  EXPECT_TRUE(*backup.image == before) << "the backup holds what the gateway held before the write";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WriteConfigurationTest,
    testing::Values(
        WriteRow{"WithoutBackup", false, false, {"strDataUploadConfirm", "strDataWrittenRunning"}, ""},
        WriteRow{"BackedUpAndReadBack", true, false, {"strDataWrittenRunning", "strDataWriteVerified"}, "agrees"},
        WriteRow{"ReadBackDiffers",
                 true,
                 true,
                 {"strDataWrittenRunning", "strDataWriteVerifyFailed"},
                 "network.port (TCP port)"},
        WriteRow{"BackupUnsavedAndNotGoneOn", true, false, {"strBackupSaveError", "strBackupNotMadeGoOn"}, "", true}),
    tusko::test::RowName<WriteRow>);

TEST_F(DeviceCommandsTest, ImageWithoutSignatureAnsweredNoKeepsThePreviousDocument) {
  simulator().Run([](sim::GatewayModel& gateway) {
    ConfigurationImage broken = gateway.Configuration().Stored();
    broken.SetByte(layout::general::kSignature, 0);
    gateway.Configuration().Replace(broken);
  });
  OpenWindow();
  Run(Command::FileNew);
  const ConfigurationImage before = Document().CommittedImage();
  boxes_.Answer(kResultNo);
  Run(Command::ReadConfiguration);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
  ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strDataInvalid"});
  EXPECT_EQ(Document().CommittedImage(), before);
  EXPECT_FALSE(Document().Modified());
}

TEST_F(DeviceCommandsTest, CancelledFirmwareUpdateSaysSo) {
  OpenWindow();
  // Large enough that the blocks are still flowing when Cancel is pressed.
  tusko::test::TempFile file(Firmware(128 * 1024));
  fileDialogs_.Answer(FileAnswer{file.path(), 1});
  ModalDriver<ProgressDialog> progress([&](ProgressDialog& dialog) {
    auto* bar = dialog.findChild<QProgressBar*>("progressBar");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() > 0; }, kFirmwareLimitMs));
    boxes_.Answer(kResultYes);
    QTest::mouseClick(dialog.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
  });
  Run(Command::WriteFirmware);
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() >= 3; }, kFirmwareLimitMs));
  EXPECT_EQ(boxes_.ShownKeys(),
            (std::vector<std::string>{"strFlashWriteFileVersion", "strFlashWriteAbort", "strCancelledFirmwareRuns"}));
}

// Which file a download without records leaves behind is the CDR file's own test.
TEST_F(DeviceCommandsTest, CdrDownloadSaysWhatItSavedOrThatNothingWasNew) {
  settings_.cdrHeader = 1;
  OpenWindow();
  const tusko::test::TempFolder folder;
  for (const int records : {3, 0}) {
    SCOPED_TRACE(records);
    boxes_.Clear();
    simulator().Run([records](sim::GatewayModel& gateway) { gateway.CdrStore().Fill(records, 0); });
    const auto path = folder / (std::to_string(records) + ".csv");
    fileDialogs_.Answer(FileAnswer{path, 1});
    Run(Command::DownloadCdr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
    ASSERT_TRUE(WaitForIdle(kTransferLimitMs));
    EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{records > 0 ? "strCdrSaved" : "strCdrNoNewRecords"});
    if (records == 0) continue;
    const std::string told = boxes_.shown()[0].message.text;
    EXPECT_TRUE(told.starts_with("3 ") && told.find(path.string()) != std::string::npos) << told;
    const std::string text = tusko::test::ReadFileText(path);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), records + 1) << "header and records";
  }
  EXPECT_EQ(fileDialogs_.asked()[0].proposedName.substr(0, 3), "CDR");
}

TEST_F(DeviceCommandsTest, NotificationsWhileABoxIsOpenAreHandledOnceInOrder) {
  OpenWindow();
  DeviceCommands& commands = window().deviceCommands();
  std::size_t boxesAfterTheirHandlers = 0;
  boxes_.WhileShown([&] {
    commands.OnNotification(Notification::NoFirmware, 0);  // one box of this kind at a time
    commands.OnNotification(Notification::SetTimeResult, static_cast<int>(OperationResult::NoAnswer));
    boxesAfterTheirHandlers = boxes_.shown().size();
  });
  commands.OnNotification(Notification::NoFirmware, 0);
  EXPECT_TRUE(boxes_.shown().empty()) << "the handler returned before its box opened";
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.shown().size() >= 2; }, kTransferLimitMs));
  QCoreApplication::processEvents();
  EXPECT_EQ(boxesAfterTheirHandlers, 1u) << "the handlers that came meanwhile opened no box inside the first";
  EXPECT_EQ(boxes_.ShownKeys(), (std::vector<std::string>{"strFlashNoFirmware", "strDateTimeSetError"}));
}

// An ending, the boxes it shows after an earlier refusal left its reason behind.
TEST_F(DeviceCommandsTest, OnlyARefusalShowsTheGatewaysReason) {
  constexpr std::uint8_t kCause = 0x81;
  simulator().Run([](sim::GatewayModel& gateway) {
    gateway.InjectFault({sim::FaultKind::Reject, ie::DateTime, kCause, kMaxTries});
  });
  OpenWindow();
  Run(Command::DateTime);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes_.shown().empty(); }, kTransferLimitMs));
  const struct {
    std::string name;
    Notification code;
    OperationResult result;
    std::vector<std::string> keys;
  } rows[] = {
      {"ClockReadRefused", Notification::GetTimeResult, OperationResult::Rejected, {"strErrorResponse"}},
      {"FirmwareCancelled", Notification::FirmwareResult, OperationResult::Cancelled, {"strCancelledFirmwareRuns"}},
      {"ModuleInfoUnanswered", Notification::ModuleInfoResult, OperationResult::NoAnswer, {"strErrorNoResponse"}},
      {"ModuleInfoShownInItsDialog", Notification::ModuleInfoResult, OperationResult::Done, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.code != Notification::GetTimeResult) {
      boxes_.Clear();
      Notify(row.code, row.result);
    }
    ASSERT_EQ(boxes_.ShownKeys(), row.keys);
    if (!row.keys.empty()) {
      const std::string& text = boxes_.shown()[0].message.text;
      EXPECT_EQ(text.find("81") != std::string::npos, row.result == OperationResult::Rejected) << text;
    }
  }
}

// ---- The monitor around the commands ----

// A command that rests the monitor and the way it ends. A lost gateway and its
// recovery, and the markers kept out of the log's file, are the monitor log's own tests.
struct PausedRow {
  std::string name;
  Command command;
  std::optional<sim::Fault> fault;
  std::string gatewayPassword;  // the login the window is asked for, which the user cancels
};

class MonitorPauseTest : public DeviceCommandsTest, public testing::WithParamInterface<PausedRow> {
 protected:
  MonitorLog& Log() { return window().monitorPage().log(); }
  std::string ViewText() { return Log().View().Text(); }
  bool WaitForText(std::string_view text) {
    return QTest::qWaitFor([&] { return ViewText().find(text) != std::string::npos; }, kTransferLimitMs);
  }
  // Monitoring of two categories of trace, chosen before the start, with a
  // firmware file ready for an update.
  void StartMonitoring() {
    OpenWindow();
    Run(Command::ToggleMonitor);
    window().tabs().Select(TabPageId::Monitor);
    window().findChild<QCheckBox*>("category1")->setChecked(true);
    window().findChild<QCheckBox*>("category2")->setChecked(true);
    QTest::mouseClick(window().findChild<QPushButton*>("startButton"), Qt::LeftButton);
    ASSERT_TRUE(WaitForText("SYSTEM MONITORING STARTED"));
    // Commands wait until the gateway has answered the start.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window().busy(); }, kTransferLimitMs));
    fileDialogs_.Answer(FileAnswer{firmware_.path(), 1});
  }

  tusko::test::TempFile firmware_{Firmware()};
};

TEST_P(MonitorPauseTest, ResumesTheMonitor) {
  const PausedRow& row = GetParam();
  StartMonitoring();
  simulator().Run([&](sim::GatewayModel& gateway) {
    if (row.fault) gateway.InjectFault(*row.fault);
    gateway.Identity().password = row.gatewayPassword;
  });
  ModalDriver<LoginDialog> login([](LoginDialog& dialog) { dialog.reject(); });
  if (row.command == Command::WriteConfiguration) Run(Command::FileNew);

  Run(row.command);
  ASSERT_TRUE(WaitForText("SYSTEM MONITORING TEMPORARY STOPPED"));
  ASSERT_TRUE(WaitForText("SYSTEM MONITORING RESUMED")) << ViewText();
  // A gateway that restarted into a new firmware is asked for its trace again
  // at the monitor's next keep-alive, up to 20 s on: the monitor log's own tests.
  if (row.command != Command::WriteFirmware || row.fault) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return Log().CurrentPauseState() == PauseState::Running; }, kTransferLimitMs));
  }
  EXPECT_EQ(login.seen(), !row.gatewayPassword.empty());
  if (row.command != Command::WriteFirmware) return;
  EXPECT_EQ(files_.lastFlashWriteFile, firmware_.path()) << "the next update proposes the same file";
  if (!row.fault) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.ShownKeys().size() >= 2; }, kFirmwareLimitMs));
    EXPECT_EQ(boxes_.ShownKeys().back(), "strFlashWriteOK");
  }
  // The ended update no longer hides the gateway's word that it has no firmware.
  QCoreApplication::processEvents();
  boxes_.Clear();
  window().deviceCommands().OnNotification(Notification::NoFirmware, 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strFlashNoFirmware"});
}

sim::Fault NotAllowed(std::uint8_t request) { return {sim::FaultKind::Reject, request, cause::NotAllowed, 1}; }

INSTANTIATE_TEST_SUITE_P(
    Endings, MonitorPauseTest,
    testing::Values(PausedRow{"FirmwareUpdated", Command::WriteFirmware, std::nullopt, ""},
                    PausedRow{"RestartWithTheLoginCancelled", Command::Restart, std::nullopt, "tusk"},
                    PausedRow{"RestartNotAllowed", Command::Restart, NotAllowed(ie::Reset), ""},
                    PausedRow{"UploadNotAllowed", Command::WriteConfiguration, NotAllowed(ie::ConfigWriteStart), ""},
                    PausedRow{"FirmwareUpdateNotAllowed", Command::WriteFirmware, NotAllowed(ie::FlashStart), ""}),
    tusko::test::RowName<PausedRow>);

}  // namespace
}  // namespace tusko::gui::test

#include "MainWindow_itest.moc"
