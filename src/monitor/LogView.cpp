#include "monitor/LogView.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "base/HexDump.h"
#include "protocol/PasswordMask.h"

namespace tusko {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kIncomingLabel = " IN:";
constexpr std::string_view kOutgoingLabel = "OUT:";
constexpr std::string_view kRawInputLabel = "RAW INPUT > ";
// Dump columns: a byte after another takes a blank and two digits, one at the
// start of a continuation line only its two digits.
constexpr std::size_t kByteColumns = 3;
constexpr std::size_t kFirstByteColumns = 2;

// Lines a trim removes beyond the limit, by the size of the limit, so that a
// long log is cut in steps rather than one line per write.
constexpr std::size_t kLargeLimit = 1000;
constexpr std::size_t kLargeLimitStep = 100;
constexpr std::size_t kMediumLimit = 100;
constexpr std::size_t kMediumLimitStep = 10;

// The index of the first line a trim keeps, or 0 when nothing is cut.
std::size_t FirstKeptLine(std::size_t lineCount, std::size_t maxLines) {
  if (maxLines == 0 || lineCount <= maxLines) return 0;
  const std::size_t over = lineCount - maxLines;
  if (maxLines > kLargeLimit) return over + kLargeLimitStep;
  if (maxLines > kMediumLimit) return over + kMediumLimitStep;
  return over - 1;
}

}  // namespace

std::string LogLine::Text() const {
  std::string text;
  for (const LogRun& run : runs) text += run.text;
  return text;
}

LogView::LogView() : lines_(1) {}

template <typename Write>
void LogView::Change(Write write) {
  std::function<void()> observer;
  {
    std::lock_guard lock(mutex_);
    write();
    Trim();
    observer = observer_;
  }
  if (observer) observer();
}

void LogView::AddLine(std::string_view text, LogColour colour) {
  Change([&] {
    Append(text, colour);
    EndLine();
  });
}

void LogView::AppendText(std::string_view text, LogColour colour) {
  Change([&] { Append(text, colour); });
}

void LogView::DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) {
  Change([&] {
    WriteDump(incoming ? kIncomingLabel : kOutgoingLabel, incoming ? LogColour::Link : LogColour::OutLabel,
              LogColour::Text, bytes, PasswordBytes(bytes));
  });
}

void LogView::DumpRawInput(std::span<const std::uint8_t> bytes) {
  Change([&] {
    WriteDump(kRawInputLabel, LogColour::Device, LogColour::Device, bytes, {});
  });
}

void LogView::SetMaxLines(std::size_t count) {
  Change([&] { maxLines_ = count; });
}

void LogView::SetLineWidth(std::size_t characters) {
  std::lock_guard lock(mutex_);
  lineWidth_ = characters;
}

void LogView::Clear() {
  Change([&] {
    firstNumber_ += lines_.size();
    lines_.assign(1, LogLine{});
    textLength_ = 0;
    afterLoneCr_ = false;
  });
}

bool LogView::SaveToFile(const std::filesystem::path& path) const {
  const std::string text = Text();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
  file.close();
  return !file.fail();
}

std::string LogView::Text() const {
  std::lock_guard lock(mutex_);
  return TextLocked();
}

LogTail LogView::LinesFrom(std::uint64_t from) const {
  std::lock_guard lock(mutex_);
  LogTail tail;
  tail.firstKept = firstNumber_;
  tail.from = std::max(from, firstNumber_);
  const auto first = std::min<std::uint64_t>(tail.from - firstNumber_, lines_.size());
  tail.lines.assign(lines_.begin() + static_cast<std::ptrdiff_t>(first), lines_.end());
  return tail;
}

std::vector<LogLine> LogView::Lines() const {
  std::lock_guard lock(mutex_);
  return {lines_.begin(), lines_.end()};
}

std::size_t LogView::LineCount() const {
  std::lock_guard lock(mutex_);
  return lines_.size();
}

void LogView::SetChangeObserver(std::function<void()> observer) {
  std::lock_guard lock(mutex_);
  observer_ = std::move(observer);
}

// A CR, an LF or a CR LF inside the text ends a line as the text control would.
void LogView::Append(std::string_view text, LogColour colour) {
  if (text.empty()) return;
  if (afterLoneCr_ && text.front() == '\n') text.remove_prefix(1);
  afterLoneCr_ = false;
  while (!text.empty()) {
    const std::size_t cut = std::min(text.find_first_of("\r\n"), text.size());
    if (cut > 0) {
      std::vector<LogRun>& runs = lines_.back().runs;
      if (!runs.empty() && runs.back().colour == colour) {
        runs.back().text.append(text.substr(0, cut));
      } else {
        runs.push_back({std::string(text.substr(0, cut)), colour});
      }
      textLength_ += cut;
    }
    if (cut == text.size()) return;
    EndLine();
    const bool crLf = text.substr(cut, kLineEnd.size()) == kLineEnd;
    afterLoneCr_ = !crLf && text[cut] == '\r' && cut + 1 == text.size();
    text.remove_prefix(cut + (crLf ? kLineEnd.size() : 1));
  }
}

void LogView::EndLine() {
  afterLoneCr_ = false;
  lines_.emplace_back();
  textLength_ += kLineEnd.size();
}

void LogView::WriteDump(std::string_view label, LogColour labelColour, LogColour bytesColour,
                        std::span<const std::uint8_t> bytes, const std::vector<bool>& masked) {
  Append(label, labelColour);
  const std::string dump = HexDump(bytes, masked);
  std::size_t column = label.size();
  std::string pending;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (column != 0) {
      pending += ' ';
      column += kByteColumns;
    } else {
      column = kFirstByteColumns;
    }
    pending += std::string_view(dump).substr(i * kByteColumns, kFirstByteColumns);
    if (column >= lineWidth_) {
      Append(pending, bytesColour);
      EndLine();
      pending.clear();
      column = 0;
    }
  }
  if (column != 0) {
    Append(pending, bytesColour);
    EndLine();
  }
}

void LogView::Trim() {
  const std::size_t firstKept = FirstKeptLine(lines_.size(), maxLines_);
  for (std::size_t i = 0; i < firstKept; ++i) {
    textLength_ -= lines_.front().Text().size() + kLineEnd.size();
    lines_.pop_front();
    ++firstNumber_;
  }
}

std::string LogView::TextLocked() const {
  std::string text;
  text.reserve(textLength_);
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i != 0) text += kLineEnd;
    text += lines_[i].Text();
  }
  return text;
}

}  // namespace tusko
