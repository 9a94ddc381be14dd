// Small parts of the windows: the menu's recent files, the file dialogs'
// filters, texts taken by key, and how a tree view paces its keyboard steps.
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/gui/FileDialogFilter.h"
#include "app/gui/MainMenu.h"
#include "app/gui/TreeStepPacer.h"
#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"

namespace tusko::gui {
namespace {

TEST(MainMenu, RecentFilesAreNumberedAndLongPathsShortened) {
  QMainWindow window;
  MainMenu menu(window, false);
  const std::string longPath = "/home/operator/" + std::string(200, 'x') + "/site.cfg";
  menu.SetRecentFiles({"/tmp/a.cfg", longPath});
  QStringList texts;
  for (QAction* item : window.menuBar()->actions().first()->menu()->actions()) texts << item->text();
  ASSERT_TRUE(texts.contains("&1 /tmp/a.cfg"));
  const auto second = std::find_if(texts.begin(), texts.end(), [](const QString& t) { return t.startsWith("&2 "); });
  ASSERT_NE(second, texts.end());
  EXPECT_LE(second->size(), 3 + 128);
  EXPECT_TRUE(second->endsWith("/site.cfg")) << "the file name stays readable";
  menu.SetRecentFiles({});
  texts.clear();
  for (QAction* item : window.menuBar()->actions().first()->menu()->actions()) texts << item->text();
  EXPECT_FALSE(texts.contains("&1 /tmp/a.cfg"));
  EXPECT_TRUE(texts.contains("(empty)"));
}

TEST(FileDialogFilter, PairsBecomeQtFilters) {
  const struct {
    const char* text;
    QStringList expected;
  } rows[] = {
      {"Text files (*.txt)|*.txt|All files (*.*)|*.*|", {"Text files (*.txt)", "All files (*.*)"}},
      {"Configuration|*.cfg;*.bak|", {"Configuration (*.cfg *.bak)"}},
      {"Firmware files (*.bin;*.hex)|*.bin;*.hex|", {"Firmware files (*.bin *.hex)"}},
      {"Cut short|", {}},
      {"", {}},
  };
  for (const auto& row : rows) EXPECT_EQ(FileDialogFilters(row.text), row.expected) << row.text;
}

// Controls get a text's line breaks, captions keep the two characters; a
// lower-case key is a control's key but no caption's; a retranslation uses the
// keys the first translation kept.
TEST(UiText, WindowsTakeTheirTextsByKeyAndKeepTheKeys) {
  const LanguageManager english = test::LoadedLanguage(1);
  const LanguageManager german = test::LoadedLanguage(2);
  QDialog window;
  window.setWindowTitle("strAboutDescription");
  auto* label = new QLabel("strAboutDescription", &window);
  auto* plain = new QLabel("Baud", &window);
  auto* lower = new QPushButton("strlower", &window);
  auto* cancel = new QPushButton("strCancel", &window);
  TranslateWindow(window, english);
  const QString withBreak = ToQString(english.GetString("strAboutDescription"));
  ASSERT_TRUE(withBreak.contains(" \n"));
  EXPECT_EQ(label->text(), withBreak);
  EXPECT_TRUE(window.windowTitle().contains("\\n"));
  EXPECT_EQ(plain->text(), "Baud");
  EXPECT_EQ(lower->text(), "") << "an unknown key shows an empty text, never the key";

  RetranslateWindow(window, german);
  EXPECT_EQ(cancel->text(), ToQString(german.GetString("strCancel")));
  EXPECT_NE(cancel->text(), ToQString(english.GetString("strCancel")));
  EXPECT_EQ(window.windowTitle(), ToQString(german.GetCaptionString("strAboutDescription")));
  QDialog lowerCaption;
  lowerCaption.setWindowTitle("strlower");
  TranslateWindow(lowerCaption, english);
  EXPECT_EQ(lowerCaption.windowTitle(), "strlower");
}

class TreeStepPacerTest : public ::testing::Test {
 protected:
  TreeStepPacerTest() {
    for (const char* text : {"one", "two", "three"}) new QTreeWidgetItem(&tree, QStringList{text});
    tree.setCurrentItem(tree.topLevelItem(0));
    tree.show();
  }

  QTreeWidget tree;
  int pauses = 0;
  TreeStepPacer pacer{tree, [this] { ++pauses; }};
};

// Keys make keyboard steps and clicks mouse selections; a deferred step runs
// once after the pause unless cancelled, each further step starting the pause again.
TEST_F(TreeStepPacerTest, KeysAreKeyboardStepsWhoseDeferredStepRunsOnceAfterThePause) {
  EXPECT_TRUE(pacer.ByMouse());
  QTest::keyClick(&tree, Qt::Key_Down);
  EXPECT_FALSE(pacer.ByMouse());
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(tree.topLevelItem(2)).center());
  EXPECT_TRUE(pacer.ByMouse());
  EXPECT_EQ(tree.currentItem(), tree.topLevelItem(2));
  QTest::keyClick(&tree, Qt::Key_Up);
  pacer.MarkMouse();  // a selection the program makes counts as a click
  EXPECT_TRUE(pacer.ByMouse());

  pacer.Defer();
  pacer.Cancel();
  EXPECT_FALSE(pacer.Waiting());
  pacer.Defer();
  pacer.Defer();
  EXPECT_TRUE(pacer.Waiting());
  EXPECT_EQ(pauses, 0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return pauses > 0; }, 5000));
  EXPECT_EQ(pauses, 1);
  EXPECT_FALSE(pacer.Waiting());
}

}  // namespace
}  // namespace tusko::gui
