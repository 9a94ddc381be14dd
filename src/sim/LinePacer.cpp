#include "sim/OutputPacer.h"

#include <algorithm>

namespace tusko::sim {

void OutputPacer::Push(std::span<const std::uint8_t> bytes) { held_.insert(held_.end(), bytes.begin(), bytes.end()); }

std::size_t OutputPacer::Allowed(std::chrono::microseconds now) {
  if (baud_ == 0) return held_.size();
  // An idle line does not save up credit: a burst after a pause still goes at line speed.
  if (now > lineFreeAt_) {
    credit_ += static_cast<double>((now - lineFreeAt_).count()) * baud_ / kBitsPerSerialByte / 1e6;
    lineFreeAt_ = now;
    if (held_.empty()) credit_ = std::min(credit_, 1.0);
  }
  return std::min(held_.size(), static_cast<std::size_t>(credit_));
}

void OutputPacer::Consume(std::size_t count) {
  count = std::min(count, held_.size());
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
  if (baud_ != 0) credit_ = std::max(0.0, credit_ - static_cast<double>(count));
}

void OutputPacer::Clear() {
  held_.clear();
  credit_ = 0;
}

}  // namespace tusko::sim
