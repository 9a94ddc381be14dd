#include <QAction>
#include <QMainWindow>
#include <QMenuBar>
#include <gtest/gtest.h>

#include "app/gui/FileDialogFilter.h"
#include "app/gui/MainMenu.h"

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
