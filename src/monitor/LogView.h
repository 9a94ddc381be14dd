#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/CommLogSink.h"
#include "link/LogColour.h"

namespace tusko {

// Width at which hexadecimal dumps wrap until the view measures its screen.
inline constexpr std::size_t kDefaultLogLineWidth = 140;
// Line limit until the owner sets one; 0 means no limit.
inline constexpr std::size_t kDefaultLogMaxLines = 1000;

// A stretch of one line written in one colour.
struct LogRun {
  std::string text;
  LogColour colour = LogColour::Text;
};

// One line of the log: the runs in the order they were written.
struct LogLine {
  std::vector<LogRun> runs;
  std::string Text() const;
};

// The lines of the log from one line on, for a view that follows it: lines
// are numbered in the order they were begun, and trimmed lines keep their
// numbers, so a view knows which of its lines are gone.
struct LogTail {
  std::uint64_t firstKept = 0;  // the number of the oldest line still kept
  std::uint64_t from = 0;       // the number of lines.front()
  std::vector<LogLine> lines;   // to the end, the line being written last
};

// The coloured, line-limited log of the communication log and the monitor log,
// without a window. The text is a sequence of lines joined by CR LF; like the
// text control it stands for, it always holds one line more than it has line
// ends (an empty one after a final CR LF). Every write appends at the end and
// then trims the oldest lines.
//
// Writes come from any thread; each whole write is made under one lock so that
// lines of different threads never interleave.
class LogView final : public CommLogSink {
 public:
  LogView();

  void AddLine(std::string_view text, LogColour colour) override;
  // Appends text as it comes, without ending the line; a CR LF split between
  // two calls ends one line.
  void AppendText(std::string_view text, LogColour colour);
  void DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) override;
  void DumpRawInput(std::span<const std::uint8_t> bytes) override;

  // Sets the limit and trims at once; 0 means no limit.
  void SetMaxLines(std::size_t count);
  void SetLineWidth(std::size_t characters);

  void Clear();


  // Plain text with CR LF line ends; false when the file cannot be written.
  bool SaveToFile(const std::filesystem::path& path) const;

  std::string Text() const;
  std::vector<LogLine> Lines() const;
  // The kept lines numbered `from` and later (all kept lines when `from` was trimmed).
  LogTail LinesFrom(std::uint64_t from) const;
  // The line count as the text control counts it (the empty line after a final CR LF counts).
  std::size_t LineCount() const;

  // Called after every change, on the thread that made it and with no lock
  // held. A view only takes note (posts a refresh); it must not write to the log.
  void SetChangeObserver(std::function<void()> observer);

 private:
  // All of these run with mutex_ held.
  void Append(std::string_view text, LogColour colour);
  void EndLine();
  void WriteDump(std::string_view label, LogColour labelColour, LogColour bytesColour,
                 std::span<const std::uint8_t> bytes, const std::vector<bool>& masked);
  // Cuts the oldest lines when over the limit.
  void Trim();
  std::string TextLocked() const;

  // Runs `write` and the trim as one whole write, then tells the observer.
  template <typename Write>
  void Change(Write write);

  mutable std::mutex mutex_;
  std::deque<LogLine> lines_;   // never empty: the last one is the line being written
  std::uint64_t firstNumber_ = 0;  // the number of lines_.front()
  std::size_t textLength_ = 0;  // length of Text()
  std::size_t maxLines_ = kDefaultLogMaxLines;
  std::size_t lineWidth_ = kDefaultLogLineWidth;
  bool afterLoneCr_ = false;  // the last write ended with a CR that may be half a CR LF
  std::function<void()> observer_;
};

}  // namespace tusko
