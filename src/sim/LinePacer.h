#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tusko::sim {

// A serial line sends 11 bits per byte: start bit, 8 data bits, two stop bits.
inline constexpr unsigned kBitsPerSerialByte = 11;

// Holds outgoing bytes and releases them no faster than a serial line of the
// given rate would carry them (0: as fast as the connection takes them).
class OutputPacer {
 public:
  explicit OutputPacer(unsigned baud) : baud_(baud) {}

  void Push(std::span<const std::uint8_t> bytes);
  // How many of the held bytes may go out by `now`.
  std::size_t Allowed(std::chrono::microseconds now);
  // The held bytes; the first `Allowed` of them may be written.
  std::span<const std::uint8_t> Held() const { return held_; }
  // `count` bytes were written.
  void Consume(std::size_t count);
  bool Empty() const { return held_.empty(); }
  void Clear();

 private:
  unsigned baud_;
  std::vector<std::uint8_t> held_;
  std::chrono::microseconds lineFreeAt_{0};
  double credit_ = 0;
};

}  // namespace tusko::sim
