#pragma once

#include <ostream>

namespace tusko::cli {

// A one-line bar on a terminal for a transfer's percentage; silent when the
// stream is not a terminal, so that scripts and logs see no carriage returns.
class ProgressBar {
 public:
  ProgressBar(std::ostream& out, bool terminal) : out_(out), terminal_(terminal) {}
  ~ProgressBar() { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Show(int percent);
  // Ends the bar's line, once.
  void Finish();

 private:
  std::ostream& out_;
  bool terminal_;
  bool shown_ = false;
  int last_ = -1;
};

}  // namespace tusko::cli
