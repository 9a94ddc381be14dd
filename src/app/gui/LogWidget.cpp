#include "app/gui/LogWidget.h"

#include <algorithm>
#include <mutex>

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

void WriteLine(QTextCursor& cursor, const LogLine& line) {
  for (const LogRun& run : line.runs) cursor.insertText(ToQString(run.text), FormatOf(run.colour));
}

}  // namespace

// Turns the log's change calls, from any thread, into at most one refresh
// waiting in the widget's event queue.
class LogWidget::ChangeNotice {
 public:
  explicit ChangeNotice(LogWidget& widget) : widget_(&widget) {}

  void Changed() {
    std::lock_guard lock(mutex_);
    if (widget_ == nullptr || posted_) return;
    posted_ = true;
    QMetaObject::invokeMethod(widget_, &LogWidget::Refresh, Qt::QueuedConnection);
  }
  void Taken() {
    std::lock_guard lock(mutex_);
    posted_ = false;
  }
  void Detach() {
    std::lock_guard lock(mutex_);
    widget_ = nullptr;
  }

 private:
  std::mutex mutex_;
  LogWidget* widget_;
  bool posted_ = false;
};

LogWidget::LogWidget(LogView& log, QWidget* parent)
    : QPlainTextEdit(parent), log_(log), notice_(std::make_shared<ChangeNotice>(*this)) {
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
  log_.SetChangeObserver([notice = notice_] { notice->Changed(); });
  Refresh();
}

LogWidget::~LogWidget() {
  log_.SetChangeObserver(nullptr);
  notice_->Detach();
}

bool LogWidget::IsEmpty() const { return document()->characterCount() <= 1; }

void LogWidget::Clear() {
  log_.Clear();
  Refresh();
}

bool LogWidget::SaveToFile(const std::filesystem::path& path) const { return log_.SaveToFile(path); }

void LogWidget::Refresh() {
  notice_->Taken();
  const std::uint64_t lastShown = shownFirst_ + shownCount_ - 1;
  const LogTail tail = log_.LinesFrom(lastShown);
  QScrollBar* scroll = verticalScrollBar();
  const bool atEnd = scroll->value() == scroll->maximum();
  const int topLine = scroll->value();
  std::uint64_t gone = 0;
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  if (tail.from > lastShown) {
    // Every shown line is gone (cleared or trimmed past): start over.
    gone = shownCount_;
    document()->clear();
    shownFirst_ = tail.from;
    shownCount_ = 1;
  } else if (tail.firstKept > shownFirst_) {
    gone = tail.firstKept - shownFirst_;
    RemoveTopLines(cursor, gone);
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
  if (atEnd) {
    scroll->setValue(scroll->maximum());
  } else {
    // Keep the same text in sight although the lines above it went.
    scroll->setValue(static_cast<int>(std::max<std::int64_t>(0, topLine - static_cast<std::int64_t>(gone))));
  }
}

void LogWidget::RemoveTopLines(QTextCursor& cursor, std::uint64_t count) {
  cursor.movePosition(QTextCursor::Start);
  cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, static_cast<int>(count));
  cursor.removeSelectedText();
  shownFirst_ += count;
  shownCount_ -= count;
}

bool LogWidget::FindNext(const QString& text, bool matchCase, bool wholeWord) {
  if (text.isEmpty()) return false;
  QTextDocument::FindFlags flags;
  if (matchCase) flags |= QTextDocument::FindCaseSensitively;
  if (wholeWord) flags |= QTextDocument::FindWholeWords;
  const int oldEnd = textCursor().selectionEnd();
  QTextCursor found = document()->find(text, oldEnd, flags);
  if (found.isNull()) {
    // Once more from the start, up to where the last search ended.
    found = document()->find(text, 0, flags);
    if (!found.isNull() && found.selectionEnd() > oldEnd) found = QTextCursor();
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
