#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include <QPlainTextEdit>

namespace tusko {
class LogView;
struct LogLine;
}  // namespace tusko

namespace tusko::gui {

// The window of a log: a read-only, coloured, monospace view that follows the
// core's LogView. The log may be written from any thread; the view only
// learns that it changed and, once per turn of the event loop, removes the
// lines the log trimmed, rewrites the line still being written and appends
// the new ones, so a long log costs no more than what changed.
class LogWidget final : public QPlainTextEdit {
  Q_OBJECT

 public:
  LogWidget(LogView& log, QWidget* parent);
  ~LogWidget() override;

  bool HasSelection() const { return textCursor().hasSelection(); }
  bool IsEmpty() const;
  void CopySelection() { copy(); }
  void SelectAll() { selectAll(); }
  // Empties the log and the view.
  void Clear();
  // Forward from the end of the selection, then once from the start up to
  // the old selection's end; selects the match, or changes nothing.
  bool FindNext(const QString& text, bool matchCase, bool wholeWord);
  bool SaveToFile(const std::filesystem::path& path) const;
  // Brings the view up to date with the log now.
  void Refresh();

 signals:
  void contextMenuWanted(const QPoint& globalPos);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  class ChangeNotice;

  // Takes away the first `count` shown lines.
  void RemoveTopLines(QTextCursor& cursor, std::uint64_t count);

  LogView& log_;
  // Shared with the log's observer, which may still be running on a writer's
  // thread while this widget goes away.
  std::shared_ptr<ChangeNotice> notice_;
  std::uint64_t shownFirst_ = 0;  // the log's number of the first block
  std::uint64_t shownCount_ = 1;  // blocks shown; the last is the line being written
};

}  // namespace tusko::gui
