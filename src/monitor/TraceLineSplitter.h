#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tusko {

// Cuts the gateway's trace stream, which arrives in pieces that end anywhere,
// into whole lines for the log view, whose writes each end a line. CR LF, CR
// and LF each end a line, as in the view; the unfinished rest waits for its end
// (or until it grows to a screenful of characters).
class TraceLineSplitter {
 public:
  // What was still waiting: its text, and whether its line had already ended
  // (with a CR that might have been the start of a CR LF).
  struct Rest {
    std::string text;
    bool ended = false;
  };

  // The lines that `text` completes, without their line ends.
  std::vector<std::string> Add(std::string_view text);
  // Gives up the waiting rest, if any, so that a marker line can follow it.
  std::optional<Rest> TakeRest();
  void Clear() { rest_.clear(); }

 private:
  std::string rest_;
};

}  // namespace tusko
