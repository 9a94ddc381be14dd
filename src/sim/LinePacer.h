#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tusko::sim {

// A serial line sends 11 bits per byte: start bit, 8 data bits, two stop bits.
inline constexpr unsigned kBitsPerSerialByte = 11;

// Holds the bytes of one direction of a serial line of the given rate and
// releases each only once it would have crossed the line (0: at once). The
// line carries one byte after another; bytes pushed while it is busy queue
// behind the others, and an idle line saves up nothing, so a burst after a
// pause still crosses at line speed. The simulator keeps one per direction:
// a request is taken when its last byte would have arrived, and an answer
// leaves no faster than the line would carry it.
class LinePacer {
 public:
  explicit LinePacer(unsigned baud) : baud_(baud) {}

  // `bytes` start onto the line at `now`, or behind those still on it.
  void Push(std::span<const std::uint8_t> bytes, std::chrono::microseconds now);
  // How many of the held bytes have crossed the line by `now`.
  std::size_t Allowed(std::chrono::microseconds now) const;
  // When the last held byte will have crossed the line.
  std::chrono::microseconds DueAt() const;
  // The held bytes; the first `Allowed` of them may be taken.
  std::span<const std::uint8_t> Held() const { return held_; }
  // `count` bytes were taken.
  void Consume(std::size_t count);
  bool Empty() const { return held_.empty(); }
  void Clear();

 private:
  // Bytes the line has carried since `busySince_` by `elapsed`.
  std::uint64_t Carried(std::chrono::microseconds elapsed) const;

  unsigned baud_;
  std::vector<std::uint8_t> held_;
  // The line has been busy without a pause since this time, and has handed
  // over `taken_` bytes since then.
  std::chrono::microseconds busySince_{0};
  std::uint64_t taken_ = 0;
};

}  // namespace tusko::sim
