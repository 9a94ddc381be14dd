#include "app/gui/LogWidget.h"

#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include "app/gui/UiText.h"
#include "monitor/LogView.h"

namespace tusko::gui {

namespace {

constexpr int kLogFontPoints = 10;
// A keyboard-invoked context menu opens at this point of the view.
constexpr QPoint kKeyboardMenuPoint{1, 1};

QTextCharFormat FormatOf(LogColour colour) {
  QTextCharFormat format;
  format.setForeground(QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)));
  return format;
}

}  // namespace

LogWidget::LogWidget(LogView& log, QWidget* parent) : QPlainTextEdit(parent), log_(log) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(kLogFontPoints);
  setFont(font);
  // Hexadecimal dumps wrap at as many characters as fit across the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const int digit = fontMetrics().horizontalAdvance('0');
    if (digit > 0) log_.SetLineWidth(static_cast<std::size_t>(screen->size().width() / digit));
  }
  log_.SetChangeObserver([this] {
    if (refreshPosted_.exchange(true)) return;
    QMetaObject::invokeMethod(this, [this] { Refresh(); }, Qt::QueuedConnection);
  });
  Refresh();
}

LogWidget::~LogWidget() { log_.SetChangeObserver(nullptr); }

bool LogWidget::IsEmpty() const { return document()->characterCount() <= 1; }

void LogWidget::Clear() { log_.Clear(); }

bool LogWidget::SaveToFile(const std::filesystem::path& path) const { return log_.SaveToFile(path); }

void LogWidget::WriteLine(QTextCursor& cursor, const LogLine& line) {
  for (const LogRun& run : line.runs) cursor.insertText(ToQString(run.text), FormatOf(run.colour));
}

void LogWidget::Refresh() {
  refreshPosted_ = false;
  const std::uint64_t lastShown = shownFirst_ + shownCount_ - 1;
  const LogTail tail = log_.LinesFrom(lastShown);
  QScrollBar* scroll = verticalScrollBar();
  const bool atEnd = scroll->value() == scroll->maximum();
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  if (tail.from > lastShown) {
    // Every shown line is gone (cleared or trimmed past): start over.
    document()->clear();
    shownFirst_ = tail.from;
    shownCount_ = 1;
  } else if (tail.firstKept > shownFirst_) {
    const auto gone = static_cast<int>(tail.firstKept - shownFirst_);
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, gone);
    cursor.removeSelectedText();
    shownFirst_ = tail.firstKept;
    shownCount_ -= static_cast<std::uint64_t>(gone);
  }
  // The last shown line may have grown: write it again, then the new lines.
  cursor.movePosition(QTextCursor::End);
  cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  for (std::size_t i = 0; i < tail.lines.size(); ++i) {
    if (i > 0) {
      cursor.insertBlock();
      ++shownCount_;
    }
    WriteLine(cursor, tail.lines[i]);
  }
  cursor.endEditBlock();
  if (atEnd) scroll->setValue(scroll->maximum());
}

bool LogWidget::FindNext(const QString& text, bool matchCase, bool wholeWord) {
  if (text.isEmpty()) return false;
  QTextDocument::FindFlags flags;
  if (matchCase) flags |= QTextDocument::FindCaseSensitively;
  if (wholeWord) flags |= QTextDocument::FindWholeWords;
  const QTextCursor selection = textCursor();
  QTextCursor found = document()->find(text, selection.selectionEnd(), flags);
  if (found.isNull()) {
    found = document()->find(text, 0, flags);
    if (!found.isNull() && found.selectionEnd() > selection.selectionEnd()) found = QTextCursor();
  }
  if (found.isNull()) return false;
  setTextCursor(found);
  return true;
}

void LogWidget::contextMenuEvent(QContextMenuEvent* event) {
  const QPoint at = event->reason() == QContextMenuEvent::Keyboard ? viewport()->mapToGlobal(kKeyboardMenuPoint)
                                                                    : event->globalPos();
  emit contextMenuWanted(at);
}

}  // namespace tusko::gui
