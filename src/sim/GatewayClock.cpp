#include "sim/GatewayClock.h"

#include <algorithm>

namespace tusko::sim {

namespace {

using namespace std::chrono;

constexpr int kYearBase = 2000;
constexpr int kYearSpan = 256;  // the year travels as one byte
constexpr GatewayClock::TimePoint kEarliest{sys_days{year{kYearBase} / 1 / 1}};
constexpr GatewayClock::TimePoint kEnd{sys_days{year{kYearBase + kYearSpan} / 1 / 1}};
constexpr GatewayClock::TimePoint kLatest = kEnd - seconds{1};

constexpr std::size_t kSecond = 0, kMinute = 1, kHour = 2, kDay = 3, kMonth = 4, kYear = 5;
constexpr unsigned kSecondsPerMinute = 60, kMinutesPerHour = 60, kHoursPerDay = 24;

}  // namespace

GatewayClock::GatewayClock(TimePoint start) : now_(std::clamp(start, kEarliest, kLatest)) {}

void GatewayClock::Advance(milliseconds elapsed) {
  if (elapsed <= milliseconds::zero()) return;
  now_ = elapsed >= kLatest - now_ ? kLatest : now_ + elapsed;
}

std::array<std::uint8_t, kDateTimeBytes> GatewayClock::Encode() const {
  const auto day = floor<days>(now_);
  const year_month_day date{day};
  const hh_mm_ss time{floor<seconds>(now_ - day)};
  std::array<std::uint8_t, kDateTimeBytes> bytes{};
  bytes[kSecond] = static_cast<std::uint8_t>(time.seconds().count());
  bytes[kMinute] = static_cast<std::uint8_t>(time.minutes().count());
  bytes[kHour] = static_cast<std::uint8_t>(time.hours().count());
  bytes[kDay] = static_cast<std::uint8_t>(static_cast<unsigned>(date.day()));
  bytes[kMonth] = static_cast<std::uint8_t>(static_cast<unsigned>(date.month()));
  bytes[kYear] = static_cast<std::uint8_t>(static_cast<int>(date.year()) - kYearBase);
  return bytes;
}

bool GatewayClock::Set(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kDateTimeBytes) return false;
  const year_month_day date{year{kYearBase + bytes[kYear]}, month{bytes[kMonth]}, day{bytes[kDay]}};
  if (!date.ok() || bytes[kHour] >= kHoursPerDay || bytes[kMinute] >= kMinutesPerHour ||
      bytes[kSecond] >= kSecondsPerMinute) {
    return false;
  }
  now_ = sys_days{date} + hours{bytes[kHour]} + minutes{bytes[kMinute]} + seconds{bytes[kSecond]};
  lastSync_ = {bytes[kDay], bytes[kMonth], bytes[kYear]};
  return true;
}

}  // namespace tusko::sim
