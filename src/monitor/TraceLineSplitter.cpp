#include "monitor/TraceLineSplitter.h"

#include <utility>

namespace tusko {

namespace {

// Output that never ends a line is shown in pieces of this many characters
// rather than held back without bound.
constexpr std::size_t kMaxWaitingCharacters = 4096;

}  // namespace

std::vector<std::string> TraceLineSplitter::Add(std::string_view text) {
  rest_.append(text);
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = rest_.find_first_of("\r\n", start);
    if (end == std::string::npos) break;
    const bool crLast = rest_[end] == '\r' && end + 1 == rest_.size();
    if (crLast) break;
    lines.push_back(rest_.substr(start, end - start));
    const bool crLf = rest_[end] == '\r' && rest_[end + 1] == '\n';
    start = end + (crLf ? 2 : 1);
  }
  rest_.erase(0, start);
  if (rest_.size() >= kMaxWaitingCharacters && rest_.back() != '\r') lines.push_back(std::exchange(rest_, {}));
  return lines;
}

std::optional<TraceLineSplitter::Rest> TraceLineSplitter::TakeRest() {
  if (rest_.empty()) return std::nullopt;
  Rest rest;
  rest.ended = rest_.back() == '\r';
  if (rest.ended) rest_.pop_back();
  rest.text = std::move(rest_);
  rest_.clear();
  return rest;
}

}  // namespace tusko
