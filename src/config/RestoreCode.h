#pragma once

#include <cstdint>

namespace tusko {

// When a credit counter is restored.
enum class RestoreKind {
  DayOfMonth,      // on day `day` (1..31) of the month
  WeekdayOfMonth,  // on the `week`-th (1..4) weekday `day` (1..7) of the month
  Weekly,          // every week on weekday `day` (1..7)
};

struct RestoreSchedule {
  RestoreKind kind = RestoreKind::DayOfMonth;
  std::uint8_t week = 0;  // only for WeekdayOfMonth
  std::uint8_t day = 1;   // day of the month, or weekday named by "strDay%d"
  bool operator==(const RestoreSchedule&) const = default;
};

// The RestoreCode byte: below 128 a day of the month; 128 + d weekly on day d;
// 128 + 8w + d the w-th weekday d.
RestoreSchedule DecodeRestoreCode(std::uint8_t code);
// Fields out of their ranges are not mended; the result is kept to one byte.
std::uint8_t EncodeRestoreCode(const RestoreSchedule& schedule);

}  // namespace tusko
