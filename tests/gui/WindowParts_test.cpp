// Small parts of the windows: the log view and its find dialog, the menu's
// recent files, the file dialogs' filters, texts taken by key, and how a tree
// view paces its keyboard steps.
#include <atomic>
#include <thread>
#include <vector>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTest>
#include <QTextDocument>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/gui/FileDialogFilter.h"
#include "app/gui/FindDialog.h"
#include "app/gui/LogWidget.h"
#include "app/gui/MainMenu.h"
#include "app/gui/TreeStepPacer.h"
#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"
#include "gui/support/WidgetHands.h"
#include "monitor/LogView.h"

namespace tusko::gui {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The model's text as the widget shows it: a paragraph break for each CR LF.
QString ModelText(const LogView& log) { return ToQString(log.Text()).replace("\r\n", "\n"); }

void WriteLines(LogView& log, int first, int count) {
  for (int i = first; i < first + count; ++i) log.AddLine("line " + std::to_string(i), LogColour::Engine);
}

class LogWidgetTest : public testing::Test {
 protected:
  // Lets the posted refreshes run.
  void Settle() { QCoreApplication::processEvents(); }

  LogView log_;
  LogWidget widget_{log_, nullptr};
};

// A line keeps the colours of its runs: the label of a dump in one, its bytes in another.
TEST_F(LogWidgetTest, EachRunHasItsWritersColour) {
  const struct {
    const char* text;  // the first character of its first occurrence is looked at
    QColor colour;
  } rows[] = {{" IN:", QColor(0xFF, 0, 0)}, {"A2 01", QColor(0, 0, 0)}, {"5E 7F", QColor(0xFF, 0, 0xFF)}};
  log_.DumpMessage(Bytes{0xA2, 0x01}, true);
  log_.DumpRawInput(Bytes{0x5E, 0x7F});
  Settle();
  for (const auto& row : rows) {
    const QTextCursor found = widget_.document()->find(row.text);
    ASSERT_FALSE(found.isNull()) << row.text;
    QTextCursor at(widget_.document());
    at.setPosition(found.selectionStart() + 1);  // the format of the character before the cursor
    EXPECT_EQ(at.charFormat().foreground().color(), row.colour) << row.text;
  }
}

// The view loses the lines the log trims, however many go between two refreshes.
TEST(LogWidgetTrim, ViewLosesTheLinesTheLogTrims) {
  const struct {
    const char* name;
    std::size_t maxLines;
    int shownFirst;   // lines written and shown before the second batch
    int thenWritten;  // lines written before the next refresh
  } rows[] = {{"one_cut_at_the_top", 200, 150, 60},
              {"several_cuts_between_refreshes", 200, 150, 400},
              {"every_shown_line_gone", 5, 4, 30},
              {"small_limit_line_by_line", 5, 5, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    LogView log;
    LogWidget widget(log, nullptr);
    log.SetMaxLines(row.maxLines);
    WriteLines(log, 0, row.shownFirst);
    QCoreApplication::processEvents();
    ASSERT_EQ(widget.toPlainText(), ModelText(log));
    WriteLines(log, row.shownFirst, row.thenWritten);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.toPlainText(), ModelText(log));
    EXPECT_EQ(static_cast<std::size_t>(widget.document()->blockCount()), log.LineCount());
  }
}

// Over "alpha beta\ngamma alphabet\nDelta abcabc": a search starts after the
// selection, wraps once to the start and stops at the old selection's end.
TEST_F(LogWidgetTest, FindNextSelectsTheNextMatchOrKeepsTheSelection) {
  const struct {
    const char* name;
    int start, end;  // the selection before; -1: the end of the text
    const char* text;
    bool matchCase, wholeWord;
    std::pair<int, int> after;  // the selection after; unchanged when nothing is found
  } rows[] = {
      {"from_the_end_wraps_to_the_start", -1, -1, "alpha", false, false, {0, 5}},
      {"forward_from_the_selection", 0, 5, "alpha", false, false, {17, 22}},
      {"case_ignored", 17, 22, "ALPHA", false, false, {0, 5}},
      {"absent", 6, 10, "omega", false, false, {6, 10}},
      {"empty", 6, 10, "", false, false, {6, 10}},
      {"case_matched", 6, 10, "delta", true, false, {6, 10}},
      {"whole_word_only", 6, 10, "alphab", false, true, {6, 10}},
      {"wrap_stops_at_the_old_selections_end", 32, 36, "cab", false, false, {32, 36}},
      {"wrap_reaches_a_match_inside_the_old_selection", 32, 37, "cab", false, false, {34, 37}},
  };
  for (const char* line : {"alpha beta", "gamma alphabet", "Delta abcabc"}) log_.AddLine(line, LogColour::Link);
  Settle();
  const int textEnd = widget_.document()->characterCount() - 1;
  for (const auto& row : rows) {
    const auto before = row.start < 0 ? std::make_pair(textEnd, textEnd) : std::make_pair(row.start, row.end);
    QTextCursor cursor(widget_.document());
    cursor.setPosition(before.first);
    cursor.setPosition(before.second, QTextCursor::KeepAnchor);
    widget_.setTextCursor(cursor);
    const bool moved = row.after != before;
    EXPECT_EQ(widget_.FindNext(row.text, row.matchCase, row.wholeWord), moved) << row.name;
    const QTextCursor now = widget_.textCursor();
    EXPECT_EQ(std::make_pair(now.selectionStart(), now.selectionEnd()), row.after) << row.name;
  }
}

// Lines written on another thread appear once events run; Clear empties the
// log and the view, which then follows again.
TEST_F(LogWidgetTest, ShowsTheLogOnceEventsRunAndClearEmptiesBoth) {
  std::thread writer([this] { WriteLines(log_, 0, 20); });
  writer.join();
  EXPECT_TRUE(widget_.IsEmpty()) << "the writer's thread only posts a refresh";
  Settle();
  EXPECT_EQ(widget_.toPlainText(), ModelText(log_));
  EXPECT_EQ(static_cast<std::size_t>(widget_.document()->blockCount()), log_.LineCount());
  widget_.SelectAll();
  ASSERT_TRUE(widget_.HasSelection());
  widget_.Clear();
  EXPECT_TRUE(widget_.IsEmpty());
  EXPECT_FALSE(widget_.HasSelection());
  EXPECT_EQ(log_.Text(), "");
  WriteLines(log_, 20, 2);
  Settle();
  EXPECT_EQ(widget_.toPlainText(), "line 20\nline 21\n");
}

TEST(FindDialog, AsksForwardWithTextAndOptionsAndSaysWhenItCloses) {
  const LanguageManager english = test::LoadedLanguage(1);
  FindDialog dialog(english, QString(200, 'x'), true, false, nullptr);
  QSignalSpy findNext(&dialog, &FindDialog::findNext);
  QSignalSpy closing(&dialog, &FindDialog::closing);
  dialog.show();
  EXPECT_FALSE(dialog.isModal());
  auto* text = &test::Child<QLineEdit>(dialog, "findText");
  EXPECT_EQ(text->text(), QString(128, 'x')) << "the find text holds at most 128 characters";
  text->clear();
  EXPECT_FALSE(test::Child<QPushButton>(dialog, "findNextButton").isEnabled()) << "nothing to find without a text";
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible()) << "Enter without a text does not cancel";
  QTest::keyClicks(text, "OUT:");
  dialog.findChild<QCheckBox*>("matchCase")->setChecked(false);
  dialog.findChild<QCheckBox*>("wholeWord")->setChecked(true);
  QTest::keyClick(text, Qt::Key_Return);
  ASSERT_EQ(findNext.count(), 1);
  EXPECT_EQ(findNext.at(0), (QList<QVariant>{QString("OUT:"), false, true}));
  EXPECT_TRUE(dialog.isVisible()) << "it stays open for the next search";

  test::Click(dialog, "cancelButton");
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(closing.count(), 1);
}

TEST(LogWidgetLifetime, WidgetMayGoWhileAnotherThreadWrites) {
  LogView log;
  log.SetMaxLines(50);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int i = 0; !stop; ++i) log.AddLine("busy " + std::to_string(i), LogColour::Device);
  });
  for (int round = 0; round < 200; ++round) {
    auto widget = std::make_unique<LogWidget>(log, nullptr);
    QCoreApplication::processEvents();
  }
  stop = true;
  writer.join();
  LogWidget last(log, nullptr);
  EXPECT_TRUE(last.toPlainText() == ModelText(log));
}

// ---- Menu, file dialog filters, texts, tree steps ----

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
