// The main window's keys and close button: what they run while an operation
// is under way, and Help without a browser.
#include <optional>
#include <ostream>
#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QTest>

#include "app/gui/ConfigurationView.h"
#include "app/gui/FindDialog.h"
#include "app/gui/MainMenu.h"
#include "gui/support/MainWindowFixture.h"

namespace tusko::gui::test {
namespace {

struct Keys {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

// What a command leaves behind where a test can see it.
struct Trace {
  std::size_t boxes;
  std::size_t fileQuestions;
  std::optional<TabPageId> tab;
  bool findDialog;
  const QWidget* focus;
  bool operator==(const Trace&) const = default;
};

void PrintTo(const Trace& trace, std::ostream* out) {
  *out << trace.boxes << " boxes, " << trace.fileQuestions << " file questions, tab "
       << (trace.tab ? static_cast<int>(*trace.tab) : -1) << (trace.findDialog ? ", find dialog" : "") << ", focus "
       << (trace.focus != nullptr ? trace.focus->metaObject()->className() : "none");
}

class MainWindowKeysTest : public MainWindowFixture {
 protected:
  // A window with an unsaved document and a communication log with a line in it.
  MainWindow& OpenActiveWindow() {
    settings_.communicationLog = 1;
    MainWindow& window = OpenWindow();
    window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    window.Execute(static_cast<int>(Command::ToggleCommunication));
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

struct BusyKeyRow {
  const char* name;
  Keys keys;
  TabPageId tab;  // where the key is pressed
};

// Each key runs its command while the window is idle, and nothing while it is busy.
TEST_F(MainWindowKeysTest, BusyKeysRunNothing) {
  const BusyKeyRow rows[] = {
      {"CtrlN", {Qt::Key_N, Qt::ControlModifier}, TabPageId::Configuration},
      {"CtrlS", {Qt::Key_S, Qt::ControlModifier}, TabPageId::Configuration},
      {"F1", {Qt::Key_F1}, TabPageId::Configuration},
      {"CtrlTab", {Qt::Key_Tab, Qt::ControlModifier}, TabPageId::Configuration},
      {"F6", {Qt::Key_F6}, TabPageId::Configuration},
      {"CtrlF", {Qt::Key_F, Qt::ControlModifier}, TabPageId::Communication},
      {"F3", {Qt::Key_F3}, TabPageId::Communication},
  };
  MainWindow& window = OpenActiveWindow();
  for (const BusyKeyRow& row : rows) {
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

struct CloseRow {
  const char* name;
  void (*close)(MainWindow&);
};

// Busy, neither Exit nor the title bar's close asks anything or closes;
// idle, both ask the save question, whose Cancel keeps the window.
TEST_F(MainWindowKeysTest, TheTitleBarsCloseTakesExitsPath) {
  const CloseRow rows[] = {
      {"Exit", [](MainWindow& window) { window.Execute(static_cast<int>(Command::FileQuit)); }},
      {"TitleBarClose", [](MainWindow& window) { window.close(); }},
  };
  MainWindow& window = OpenActiveWindow();
  for (const CloseRow& row : rows) {
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
}

// The offscreen platform offers no browser, as a desktop without one.
TEST_F(MainWindowKeysTest, HelpWithoutABrowserSaysWhereTheHelpFileIs) {
  ASSERT_EQ(QGuiApplication::platformName(), "offscreen");
  MainWindow& window = OpenWindow();
  window.Execute(static_cast<int>(Command::HelpContents));
  ASSERT_EQ(boxes_.ShownKeys(), std::vector<std::string>{"strHelpNoBrowser"});
  EXPECT_EQ(boxes_.shown()[0].captionKey, "strError");
  EXPECT_NE(boxes_.shown()[0].message.text.find(language_.HelpFile().string()), std::string::npos)
      << boxes_.shown()[0].message.text;
}

}  // namespace
}  // namespace tusko::gui::test
