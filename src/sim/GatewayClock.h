#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tusko::sim {

// DateTime element bytes: second, minute, hour, day, month, year - 2000.
inline constexpr std::size_t kDateTimeBytes = 6;
// LastTimeSync element bytes: day, month, year - 2000 (0: never set).
inline constexpr std::size_t kLastSyncBytes = 3;

// The gateway's real-time clock: runs with virtual time and is set by the utility.
// Its range is what the one-byte year can carry, 2000 to 2255.
class GatewayClock {
 public:
  using TimePoint = std::chrono::sys_time<std::chrono::milliseconds>;

  static constexpr TimePoint kFactoryTime{std::chrono::sys_days{std::chrono::year{2024} / 1 / 1}};

  explicit GatewayClock(TimePoint start = kFactoryTime);

  // Moves the clock on; it stops at the end of its range, and negative time is ignored.
  void Advance(std::chrono::milliseconds elapsed);
  TimePoint Now() const { return now_; }

  std::array<std::uint8_t, kDateTimeBytes> Encode() const;
  // Sets the clock from DateTime bytes. An impossible date or time leaves it unchanged and gives false.
  bool Set(std::span<const std::uint8_t> bytes);
  std::array<std::uint8_t, kLastSyncBytes> LastSync() const { return lastSync_; }

 private:
  TimePoint now_;
  std::array<std::uint8_t, kLastSyncBytes> lastSync_{};
};

}  // namespace tusko::sim
