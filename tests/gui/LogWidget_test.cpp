#include <atomic>
#include <thread>
#include <vector>

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>
#include <QTest>
#include <QTextDocument>
#include <gtest/gtest.h>

#include "app/gui/FindDialog.h"
#include "app/gui/LogWidget.h"
#include "app/gui/UiText.h"
#include "gui/support/GuiLanguage.h"
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
  bool Shows(const LogView& log) const { return widget_.toPlainText() == ModelText(log); }

  LogView log_;
  LogWidget widget_{log_, nullptr};
};

TEST_F(LogWidgetTest, LinesWrittenOnAnotherThreadAppearOnceEventsRun) {
  std::thread writer([this] { WriteLines(log_, 0, 50); });
  writer.join();
  EXPECT_TRUE(widget_.IsEmpty()) << "the writer's thread only posts a refresh";
  Settle();
  EXPECT_FALSE(widget_.IsEmpty());
  EXPECT_TRUE(Shows(log_)) << widget_.toPlainText().toStdString();
  EXPECT_EQ(static_cast<std::size_t>(widget_.document()->blockCount()), log_.LineCount());
}

struct ColourRow {
  const char* name;
  const char* text;  // the first character of its first occurrence is looked at
  QColor colour;
};

class LogWidgetColour : public LogWidgetTest, public testing::WithParamInterface<ColourRow> {};

TEST_P(LogWidgetColour, EachRunHasItsWritersColour) {
  log_.DumpMessage(Bytes{0xA2, 0x01}, true);
  log_.DumpMessage(Bytes{0xA1, 0x02}, false);
  log_.AddLine("engine line", LogColour::Engine);
  log_.AddLine("link line", LogColour::Link);
  log_.DumpRawInput(Bytes{0x5E, 0x7F});
  Settle();
  const ColourRow& row = GetParam();
  const QTextCursor found = widget_.document()->find(row.text);
  ASSERT_FALSE(found.isNull()) << row.text;
  QTextCursor at(widget_.document());
  at.setPosition(found.selectionStart() + 1);  // the format of the character before the cursor
  EXPECT_EQ(at.charFormat().foreground().color(), row.colour) << row.text;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, LogWidgetColour,
    testing::Values(ColourRow{"InLabelRed", " IN:", QColor(0xFF, 0, 0)},
                    ColourRow{"InBytesBlack", "A2 01", QColor(0, 0, 0)},
                    ColourRow{"OutLabelBlue", "OUT:", QColor(0, 0, 0xFF)},
                    ColourRow{"OutBytesBlack", "A1 02", QColor(0, 0, 0)},
                    ColourRow{"EngineTeal", "engine", QColor(0, 0x80, 0x80)},
                    ColourRow{"LinkRed", "link", QColor(0xFF, 0, 0)},
                    ColourRow{"RawLabelMagenta", "RAW", QColor(0xFF, 0, 0xFF)},
                    ColourRow{"RawBytesMagenta", "5E 7F", QColor(0xFF, 0, 0xFF)}),
    [](const testing::TestParamInfo<ColourRow>& row) { return std::string(row.param.name); });

struct TrimRow {
  const char* name;
  std::size_t maxLines;
  int shownFirst;   // lines written and shown before the second batch
  int thenWritten;  // lines written before the next refresh
};

class LogWidgetTrim : public LogWidgetTest, public testing::WithParamInterface<TrimRow> {};

TEST_P(LogWidgetTrim, ViewLosesTheLinesTheLogTrims) {
  const TrimRow& row = GetParam();
  log_.SetMaxLines(row.maxLines);
  WriteLines(log_, 0, row.shownFirst);
  Settle();
  ASSERT_TRUE(Shows(log_));
  WriteLines(log_, row.shownFirst, row.thenWritten);
  Settle();
  EXPECT_TRUE(Shows(log_)) << "view starts with: " << widget_.document()->firstBlock().text().toStdString();
  EXPECT_EQ(static_cast<std::size_t>(widget_.document()->blockCount()), log_.LineCount());
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LogWidgetTrim,
    testing::Values(TrimRow{"OneCutAtTheTop", 200, 150, 60},
                    TrimRow{"SeveralCutsBetweenRefreshes", 200, 150, 400},
                    TrimRow{"EveryShownLineGone", 5, 4, 30},
                    TrimRow{"SmallLimitLineByLine", 5, 5, 1}),
    [](const testing::TestParamInfo<TrimRow>& row) { return std::string(row.param.name); });

class LogWidgetFind : public LogWidgetTest {
 protected:
  void SetUp() override {
    log_.AddLine("alpha beta", LogColour::Link);      // alpha at 0
    log_.AddLine("gamma alphabet", LogColour::Link);  // alphabet at 11 + 6
    log_.AddLine("Delta abcabc", LogColour::Link);
    Settle();
    widget_.moveCursor(QTextCursor::End);
  }
  std::pair<int, int> Selection() const {
    return {widget_.textCursor().selectionStart(), widget_.textCursor().selectionEnd()};
  }
  void Select(int start, int end) {
    QTextCursor cursor(widget_.document());
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    widget_.setTextCursor(cursor);
  }
};

TEST_F(LogWidgetFind, GoesForwardAndWrapsOnceToTheStart) {
  ASSERT_TRUE(widget_.FindNext("alpha", false, false));
  EXPECT_EQ(Selection(), std::make_pair(0, 5)) << "from the end it wraps to the start";
  EXPECT_TRUE(widget_.HasSelection());
  ASSERT_TRUE(widget_.FindNext("alpha", false, false));
  EXPECT_EQ(Selection(), std::make_pair(17, 22));
  ASSERT_TRUE(widget_.FindNext("ALPHA", false, false));
  EXPECT_EQ(Selection(), std::make_pair(0, 5));
}

TEST_F(LogWidgetFind, AbsentTextFailsQuietlyAndKeepsTheSelection) {
  Select(6, 10);
  EXPECT_FALSE(widget_.FindNext("omega", false, false));
  EXPECT_FALSE(widget_.FindNext("", false, false));
  EXPECT_FALSE(widget_.FindNext("delta", true, false));
  EXPECT_FALSE(widget_.FindNext("alphab", false, true)) << "alphabet is no whole word match";
  EXPECT_EQ(Selection(), std::make_pair(6, 10));
  EXPECT_TRUE(widget_.FindNext("delta", false, false));
}

TEST_F(LogWidgetFind, WrappedSearchStopsAtTheOldSelectionsEnd) {
  const int abc = widget_.toPlainText().indexOf("abcabc");
  Select(abc, abc + 4);  // "abca"
  EXPECT_FALSE(widget_.FindNext("cab", false, false)) << "the only match runs past the old selection";
  EXPECT_EQ(Selection(), std::make_pair(abc, abc + 4));
  Select(abc, abc + 5);
  EXPECT_TRUE(widget_.FindNext("cab", false, false));
  EXPECT_EQ(Selection(), std::make_pair(abc + 2, abc + 5));
}

TEST_F(LogWidgetTest, ClearEmptiesTheLogAndTheViewWhichThenFollowsAgain) {
  WriteLines(log_, 0, 20);
  Settle();
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

TEST_F(LogWidgetTest, StaysAtTheEndOnlyWhenItWasThere) {
  widget_.resize(400, 200);
  widget_.show();
  log_.SetMaxLines(0);
  WriteLines(log_, 0, 300);
  Settle();
  QScrollBar* scroll = widget_.verticalScrollBar();
  ASSERT_GT(scroll->maximum(), 0);
  EXPECT_EQ(scroll->value(), scroll->maximum());
  scroll->setValue(250);
  const auto topLine = [this] { return widget_.cursorForPosition(QPoint(0, 0)).block().text().toStdString(); };
  const std::string top = topLine();
  WriteLines(log_, 300, 50);
  Settle();
  EXPECT_EQ(scroll->value(), 250);
  log_.SetMaxLines(200);  // the lines above the one in sight go
  Settle();
  EXPECT_EQ(topLine(), top);
}

TEST_F(LogWidgetTest, DumpsWrapAtTheCharactersAcrossTheScreen) {
  const int width = QGuiApplication::primaryScreen()->size().width() / widget_.fontMetrics().horizontalAdvance('0');
  log_.DumpMessage(Bytes(255, 0x11), false);
  const std::string first = log_.Lines().front().Text();
  // The label takes 4 columns and every byte 3 more; the line ends once the width is reached.
  EXPECT_GE(static_cast<int>(first.size()), width);
  EXPECT_LT(static_cast<int>(first.size()), width + 3);
}

TEST_F(LogWidgetTest, ContextMenuIsWantedAtTheMouseOrAtTheViewsCorner) {
  QSignalSpy wanted(&widget_, &LogWidget::contextMenuWanted);
  const QPoint mouse(120, 80);
  QContextMenuEvent byMouse(QContextMenuEvent::Mouse, QPoint(5, 5), mouse);
  QCoreApplication::sendEvent(widget_.viewport(), &byMouse);
  QContextMenuEvent byKey(QContextMenuEvent::Keyboard, QPoint(-1, -1), QPoint(-1, -1));
  QCoreApplication::sendEvent(&widget_, &byKey);
  ASSERT_EQ(wanted.count(), 2);
  EXPECT_EQ(wanted.at(0).at(0).toPoint(), mouse);
  EXPECT_EQ(wanted.at(1).at(0).toPoint(), widget_.viewport()->mapToGlobal(QPoint(1, 1)));
}

TEST(FindDialog, AsksForwardWithTextAndOptionsAndSaysWhenItCloses) {
  const LanguageManager english = test::LoadedLanguage(1);
  FindDialog dialog(english, QString(200, 'x'), true, false, nullptr);
  QSignalSpy findNext(&dialog, &FindDialog::findNext);
  QSignalSpy closing(&dialog, &FindDialog::closing);
  dialog.show();
  EXPECT_FALSE(dialog.isModal());
  auto* text = dialog.findChild<QLineEdit*>("findText");
  auto* next = dialog.findChild<QPushButton*>("findNextButton");
  ASSERT_NE(text, nullptr);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(text->text(), QString(128, 'x')) << "the find text holds at most 128 characters";

  EXPECT_EQ(dialog.focusWidget(), text) << "the text is typed at once";

  text->clear();
  EXPECT_FALSE(next->isEnabled()) << "nothing to find without a text";
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible()) << "Enter without a text does not cancel";
  QTest::keyClicks(text, "OUT:");
  dialog.findChild<QCheckBox*>("matchCase")->setChecked(false);
  dialog.findChild<QCheckBox*>("wholeWord")->setChecked(true);
  QTest::keyClick(text, Qt::Key_Return);
  ASSERT_EQ(findNext.count(), 1);
  EXPECT_EQ(findNext.at(0), (QList<QVariant>{QString("OUT:"), false, true}));
  EXPECT_TRUE(dialog.isVisible()) << "it stays open for the next search";

  QTest::mouseClick(dialog.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(closing.count(), 1);
}

TEST(LogWidgetLoad, HundredThousandLinesOfTwoHundredThousandWritesFromAWriterThread) {
  constexpr std::size_t kLimit = 100000;
  constexpr int kWrites = 200000;
  LogView log;
  log.SetMaxLines(kLimit);
  LogWidget widget(log, nullptr);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    WriteLines(log, 0, kWrites);
    done = true;
  });
  while (!done) QCoreApplication::processEvents();
  writer.join();
  QCoreApplication::processEvents();
  EXPECT_LE(log.LineCount(), kLimit);
  EXPECT_EQ(static_cast<std::size_t>(widget.document()->blockCount()), log.LineCount());
  EXPECT_TRUE(widget.toPlainText() == ModelText(log));
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

}  // namespace
}  // namespace tusko::gui
