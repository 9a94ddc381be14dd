#include "cli/ProgressBar.h"

#include <algorithm>
#include <string>

namespace tusko::cli {

namespace {

constexpr int kBarWidth = 40;  // characters
constexpr int kFullPercent = 100;

}  // namespace

void ProgressBar::Show(int percent) {
  percent = std::clamp(percent, 0, kFullPercent);
  if (!terminal_ || percent == last_) return;
  last_ = percent;
  shown_ = true;
  const int filled = percent * kBarWidth / kFullPercent;
  out_ << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
       << std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') << "] " << percent << "%" << std::flush;
}

void ProgressBar::Finish() {
  if (shown_) out_ << "\n" << std::flush;
  shown_ = false;
}

}  // namespace tusko::cli
