#include "sim/LinePacer.h"

#include <algorithm>

namespace tusko::sim {

namespace {

constexpr std::uint64_t kMicrosecondsPerSecond = 1'000'000;
constexpr std::uint64_t kBitMicroseconds = kBitsPerSerialByte * kMicrosecondsPerSecond;

}  // namespace

void LinePacer::Push(std::span<const std::uint8_t> bytes, std::chrono::microseconds now) {
  // Every byte taken had crossed when it was taken: with none held, the line is idle.
  if (held_.empty()) {
    busySince_ = now;
    taken_ = 0;
  }
  held_.insert(held_.end(), bytes.begin(), bytes.end());
}

std::uint64_t LinePacer::Carried(std::chrono::microseconds elapsed) const {
  if (elapsed.count() <= 0) return 0;
  return static_cast<std::uint64_t>(elapsed.count()) * baud_ / kBitMicroseconds;
}

std::size_t LinePacer::Allowed(std::chrono::microseconds now) const {
  if (baud_ == 0) return held_.size();
  const std::uint64_t carried = Carried(now - busySince_);
  if (carried <= taken_) return 0;
  return static_cast<std::size_t>(std::min<std::uint64_t>(held_.size(), carried - taken_));
}

std::chrono::microseconds LinePacer::DueAt() const {
  if (baud_ == 0) return busySince_;
  const std::uint64_t bytes = taken_ + held_.size();
  // Rounded up: the byte has crossed only once its last stop bit has.
  return busySince_ + std::chrono::microseconds((bytes * kBitMicroseconds + baud_ - 1) / baud_);
}

void LinePacer::Consume(std::size_t count) {
  count = std::min(count, held_.size());
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
  taken_ += count;
}

void LinePacer::Clear() {
  held_.clear();
  taken_ = 0;
}

}  // namespace tusko::sim
