#include <algorithm>
#include <functional>

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include "app/gui/CommunicationDialog.h"
#include "app/gui/ConfigurationView.h"
#include "app/gui/DateTimeDialog.h"
#include "app/gui/LanguageDialog.h"
#include "app/gui/LoginDialog.h"
#include "app/gui/MainMenu.h"
#include "app/gui/NotifyDialog.h"
#include "app/gui/PasswordDialog.h"
#include "app/gui/UiText.h"
#include "app/settings/SettingsStore.h"
#include "app/settings/WindowStateSettings.h"
#include "config/TextFields.h"
#include "gui/support/MainWindowFixture.h"
#include "gui/support/ModalDriver.h"
#include "gui/support/WidgetHands.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko::gui::test {
namespace {

constexpr int kLinkLimitMs = 10000;
constexpr int kRestartLimitMs = 30000;
constexpr int kTransferLimitMs = 60000;

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

void TypePassword(LoginDialog& dialog, const QString& password) {
  QTest::keyClicks(dialog.findChild<QLineEdit*>(), password);
  dialog.accept();
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

TEST_F(MainWindowTest, ConnectAndDisconnectShowTheLinkStateInTheStatusBar) {
  ASSERT_TRUE(simulator().Ready()) << simulator().Error();
  MainWindow& window = OpenWindow();
  const QString closed = Q("TCP: 127.0.0.1 - " + Text("strStatDisconnected"));
  const QString open = Q("TCP: 127.0.0.1 - " + Text("strStatConnected"));
  EXPECT_EQ(window.StatusText(), closed);

  window.Execute(static_cast<int>(Command::Connect));
  ASSERT_TRUE(WaitForLinkState(LinkState::Open, kLinkLimitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusText() == open; }, kLinkLimitMs)) << window.StatusText().toStdString();
  EXPECT_FALSE(window.menu().action(Command::Connect)->isEnabled());
  EXPECT_TRUE(window.menu().action(Command::Disconnect)->isEnabled());

  window.Execute(static_cast<int>(Command::Disconnect));
  EXPECT_TRUE(WaitForLinkState(LinkState::Closed, kLinkLimitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusText() == closed; }, kLinkLimitMs));
  EXPECT_TRUE(window.menu().action(Command::Connect)->isEnabled());
  EXPECT_TRUE(boxes_.shown().empty());
}

// Menus, tabs, title and status bar change at once; Help opens the new language's page.
TEST_F(MainWindowTest, LanguageSwitchTranslatesTheWindowAndItsHelpAtOnce) {
  MainWindow& window = OpenWindow();
  OpenedUrls browser;
  window.Execute(static_cast<int>(Command::HelpContents));
  ChooseLanguage(window, 2);
  window.Execute(static_cast<int>(Command::HelpContents));

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

TEST_F(MainWindowTest, LoginPromptCancelledSaysSoAndEndsTheRequest) {
  simulator().Run([](sim::GatewayModel& gateway) { gateway.Identity().password = "tusk"; });
  MainWindow& window = OpenWindow();
  ModalDriver<LoginDialog> login([](LoginDialog& dialog) { dialog.reject(); });

  window.Execute(static_cast<int>(Command::DateTime));
  ASSERT_TRUE(QTest::qWaitFor([&] { return boxes_.shown().size() >= 2; }, kLinkLimitMs));
  EXPECT_TRUE(login.seen());
  EXPECT_EQ(boxes_.shown()[0].message.text, Text("strLoginStop"));
  EXPECT_EQ(boxes_.shown()[0].message.caption, Text("strLoginError"));
  EXPECT_EQ(boxes_.shown()[1].textKey, "strDateTimeGetError");
  EXPECT_FALSE(window.busy());
}

TEST_F(MainWindowTest, CommunicationLogShowsNoPasswordOfALoginOrAChange) {
  settings_.communicationLog = 1;
  simulator().Run([](sim::GatewayModel& gateway) { gateway.Identity().password = "Secr3tPw"; });
  MainWindow& window = OpenWindow();
  ModalDriver<LoginDialog> login([](LoginDialog& dialog) { TypePassword(dialog, "Secr3tPw"); });
  ModalDriver<DateTimeDialog> clock([](DateTimeDialog& dialog) { dialog.reject(); });
  window.Execute(static_cast<int>(Command::DateTime));
  ASSERT_TRUE(QTest::qWaitFor([&] { return clock.seen(); }, kLinkLimitMs));
  EXPECT_TRUE(login.seen());
  EXPECT_EQ(window.engine().loginPassword(), "Secr3tPw");
  ModalDriver<PasswordDialog> change([](PasswordDialog& dialog) {
    Retype(dialog, "oldPassword", "Secr3tPw");
    Retype(dialog, "newPassword", "N3wPassw");
    Retype(dialog, "confirmPassword", "N3wPassw");
    Click(dialog, "okButton");
  });
  window.Execute(static_cast<int>(Command::ChangePassword));
  ASSERT_EQ(window.engine().loginPassword(), "N3wPassw");
  EXPECT_EQ(simulator().Run([](sim::GatewayModel& gateway) { return gateway.Identity().password; }), "N3wPassw");
  EXPECT_TRUE(boxes_.shown().empty());

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

  window.Execute(static_cast<int>(Command::Restart));
  ASSERT_TRUE(QTest::qWaitFor([&] { return notice.seen() && QApplication::activeModalWidget() == nullptr; },
                              kRestartLimitMs));
  EXPECT_TRUE(linkDownDuringNotice) << "the notice was up while the gateway restarted";
  EXPECT_EQ(window.host().link().GetLinkState(), LinkState::Open) << "the notice ends when the firmware runs again";
  EXPECT_FALSE(window.busy());
  EXPECT_TRUE(boxes_.shown().empty());
}

TEST_F(MainWindowTest, ConnectWithoutACompleteLinkAsksForTheSettings) {
  settings_.tcpPort = 0;  // an address without a port names no link
  MainWindow& window = OpenWindow();
  window.OpenLinkQuietly();
  EXPECT_EQ(window.host().link().GetLinkState(), LinkState::Closed) << "no quiet open at start";

  ModalDriver<CommunicationDialog> ask([](CommunicationDialog& dialog) { dialog.reject(); });
  window.Execute(static_cast<int>(Command::Connect));
  EXPECT_TRUE(ask.seen());
  EXPECT_EQ(settings_.tcpPort, 0u) << "a cancelled dialog changes nothing";
  EXPECT_EQ(window.host().link().GetLinkState(), LinkState::Closed);
  EXPECT_FALSE(boxes_.shown().empty()) << "the failed open says why";

  ModalDriver<CommunicationDialog> answer([&](CommunicationDialog& dialog) {
    auto* port = dialog.findChild<QLineEdit*>("tcpPort");
    port->clear();
    QTest::keyClicks(port, QString::number(simulator().Port()));
    QTest::mouseClick(dialog.findChild<QPushButton*>("okButton"), Qt::LeftButton);
  });
  window.Execute(static_cast<int>(Command::Connect));
  EXPECT_TRUE(answer.seen());
  EXPECT_EQ(settings_.tcpPort, simulator().Port());
  EXPECT_TRUE(WaitForLinkState(LinkState::Open, kLinkLimitMs));
  EXPECT_EQ(store_.readNumber(kSettingsSection, "TcpPort"), simulator().Port()) << "the new port is saved";
}

TEST_F(MainWindowTest, ClosingSavesTheWindowState) {
  MainWindow& window = OpenWindow();
  window.setGeometry(40, 50, 700, 560);
  window.Execute(static_cast<int>(Command::ViewToolbar));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.menu().toolbar().isVisible(); }, kLinkLimitMs));
  window.Execute(static_cast<int>(Command::FileQuit));
  EXPECT_FALSE(window.isVisible());
  const WindowStateSettings saved = LoadWindowState(store_);
  EXPECT_EQ(saved.cx, 700u);
  EXPECT_EQ(saved.cy, 560u);
  EXPECT_EQ(saved.toolbar, 0u);
  EXPECT_EQ(window.host().link().GetLinkState(), LinkState::Closed);
}

TEST_F(MainWindowTest, LogSaveAsWritesTheLogAndRemembersTheFolder) {
  settings_.communicationLog = 1;
  MainWindow& window = OpenWindow();
  window.Execute(static_cast<int>(Command::ToggleCommunication));
  window.tabs().Select(TabPageId::Communication);
  window.communicationLog()->AddLine("Socket OK", LogColour::Link);
  QApplication::processEvents();  // the view shows the line
  const tusko::test::TempFolder folder;
  fileDialogs_.Answer(FileAnswer{folder / "comm.txt", 2});

  window.Execute(static_cast<int>(Command::LogSaveAs));
  ASSERT_EQ(fileDialogs_.asked().size(), 1u);
  EXPECT_EQ(fileDialogs_.asked()[0].titleKey, "strLogSave");
  EXPECT_EQ(fileDialogs_.asked()[0].filterKey, "strLogSaveFilter");
  EXPECT_TRUE(tusko::test::ReadFileText(folder / "comm.txt").starts_with("Socket OK\r\n"));
  EXPECT_EQ(files_.browsePathLog, folder.path().string());
  EXPECT_EQ(files_.openSaveFilterLog, 2u);

  fileDialogs_.Answer(FileAnswer{folder / "missing-folder" / "comm.txt", 1});
  window.Execute(static_cast<int>(Command::LogSaveAs));
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
    window.Execute(static_cast<int>(Command::ReadConfiguration));
    const auto committedName = [&document] {
      ConfigurationImage committed = document.CommittedImage();
      return ReadCountedText(committed, layout::general::kDeviceName);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return committedName() == row.nameAfter; }, kTransferLimitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.busy() && QApplication::activeModalWidget() == nullptr; },
                                kTransferLimitMs));
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
      {"new", [&] { window.Execute(static_cast<int>(Command::FileNew)); }, "untitled - " + app},
      {"page_edited_and_left",
       [&] {
         window.configuration().SelectNode(PageId::SystemNetwork);
         window.findChild<QSpinBox*>("network.port")->setValue(2345);
         window.configuration().SelectNode(PageId::Root);
       },
       "*untitled - " + app},
      {"saved",
       [&] {
         fileDialogs_.Answer(FileAnswer{folder / "office.cfg", 1});
         window.Execute(static_cast<int>(Command::FileSave));
       },
       "office.cfg - " + app},
      {"closed", [&] { window.Execute(static_cast<int>(Command::FileClose)); }, app},
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

}  // namespace
}  // namespace tusko::gui::test

#include "MainWindow_itest.moc"
