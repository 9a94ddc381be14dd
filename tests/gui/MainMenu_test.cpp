#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>
#include <gtest/gtest.h>

#include "app/gui/FileDialogFilter.h"
#include "app/gui/MainMenu.h"
#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko::gui {
namespace {

// A language folder of one language whose [menus] the test writes.
LanguageManager LanguageWithMenus(const std::string& menus) {
  const tusko::test::TempFolder folder;
  tusko::test::WriteFileText(folder / "LANG.INI",
                             "[general]\nnum_languages=1\n[language names]\n1=Test\n[language files]\n1=test.ini\n");
  tusko::test::WriteFileText(folder / "test.ini", "[general]\nversion=1.2.0.0\n[strings]\nstrAppName=T\n" + menus);
  LanguageManager language(folder.path());
  EXPECT_EQ(language.LoadLanguage(1), LanguageLoadResult::Loaded);
  return language;
}

TEST(MainMenu, PopupItemsShowTheShortcutTextTheMenuBarTheBackslashAndNoTextLeavesThemBlank) {
  QMainWindow window;
  MainMenu menu(window, true);
  menu.Translate(LanguageWithMenus("[menus]\nmenuFile=&File\\Alt\nmenuFileNew=&New\\Ctrl+N\nmenuFileOpen=&Open\n"));
  EXPECT_EQ(window.menuBar()->actions().first()->text(), "&File\\Alt");
  EXPECT_EQ(menu.action(Command::FileNew)->text(), "&New\tCtrl+N");
  EXPECT_EQ(menu.action(Command::FileOpen)->text(), "&Open");
  menu.Translate(LanguageWithMenus(""));
  for (QAction* top : window.menuBar()->actions()) {
    EXPECT_TRUE(top->text().isEmpty());
    for (QAction* item : top->menu()->actions()) {
      EXPECT_TRUE(item->isSeparator() || !item->isEnabled() || item->text().isEmpty()) << item->text().toStdString();
    }
  }
}

TEST(MainMenu, ToolbarTooltipsComeFromTheLanguage) {
  QMainWindow window;
  MainMenu menu(window, false);
  const LanguageManager english = test::LoadedLanguage(1);
  menu.Translate(english);
  EXPECT_EQ(menu.action(Command::ReadConfiguration)->toolTip(), ToQString(english.GetTooltip(32780)));
  EXPECT_EQ(menu.toolbar().actions().size(), 8) << "six buttons and two separators";
  EXPECT_EQ(menu.action(Command::ToggleCommunication), nullptr);
}

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

struct FilterRow {
  const char* text;
  QStringList expected;
};

TEST(FileDialogFilter, PairsBecomeQtFilters) {
  const FilterRow rows[] = {
      {"Text files (*.txt)|*.txt|All files (*.*)|*.*|", {"Text files (*.txt)", "All files (*.*)"}},
      {"Configuration|*.cfg;*.bak|", {"Configuration (*.cfg *.bak)"}},
      {"Firmware files (*.bin;*.hex)|*.bin;*.hex|", {"Firmware files (*.bin *.hex)"}},
      {"Cut short|", {}},
      {"", {}},
  };
  for (const FilterRow& row : rows) EXPECT_EQ(FileDialogFilters(row.text), row.expected) << row.text;
}

}  // namespace
}  // namespace tusko::gui
