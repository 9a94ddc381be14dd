#pragma once

// The records of the counted tables, the working hours and the holidays.
// Their pages edit whole records; the columns place every byte.

#include <array>

#include "config/FieldCatalog.h"

namespace tusko::catalog::tables {

constexpr Field Column(std::string_view name, std::size_t offset, std::size_t width = 1) {
  return {.name = name, .encoding = Encoding::Bytes, .offset = offset, .width = width, .unsetByDefault = true};
}

// LCR routing record, from 1160 + 128i.
inline constexpr std::array<Field, 10> kRoutingFields{{
    Column("profile", 0), Column("cutDigits", 1), Column("dialDigits", 2), Column("inputLine", 3),
    Column("number", 4, 24), Column("insertDigits", 28, 24), Column("targets", 52, 5), Column("aocItems", 57, 5),
    Column("creditCounters", 62, 5), Reserved(67, 61),
}};

// LCR CLIP record, from 13960 + 36i.
inline constexpr std::array<Field, 3> kLcrClipFields{{Column("number", 0, 24), Column("profile", 24), Reserved(25, 11)}};

// CLIP from GSM record, from 17560 + 36i.
inline constexpr std::array<Field, 2> kClipFromGsmFields{{Column("number", 0, 24), Reserved(24, 12)}};

// Mobility extension record, from 23372 + 100i.
inline constexpr std::array<Field, 9> kMobilityFields{{
    Column("line", 0), Reserved(1, 3), Column("extension", 4, 24), Column("ringNumber1", 28, 23),
    Column("condition1", 51), Column("ringNumber2", 52, 23), Column("condition2", 75), Column("ringNumber3", 76, 23),
    Column("condition3", 99),
}};

// A day of the working hours, from 28628 + 32d: four slots of hour and minute.
constexpr std::array<Field, 13> DayFields(bool working) {
  constexpr std::int64_t kStart = 8;
  constexpr std::int64_t kEnd = 18;
  const auto time = [working](std::string_view name, std::size_t offset, std::int64_t value, bool used) {
    return Field{.name = name, .offset = offset, .defaultNumber = value, .unsetByDefault = !(working && used)};
  };
  return {{
      time("begin1Hour", 0, kStart, true), time("begin1Minute", 1, 0, true), Reserved(2, 2),
      time("end1Hour", 4, kEnd, true), time("end1Minute", 5, 0, true), Reserved(6, 2),
      time("begin2Hour", 8, 0, false), time("begin2Minute", 9, 0, false), Reserved(10, 2),
      time("end2Hour", 12, 0, false), time("end2Minute", 13, 0, false), Reserved(14, 2),
      Reserved(16, 16),
  }};
}
inline constexpr std::array<Field, 13> kWorkingDayFields = DayFields(true);
inline constexpr std::array<Field, 13> kWeekendDayFields = DayFields(false);

// A holiday, from 28852 + 4h.
inline constexpr std::array<Field, 3> kHolidayFields{{Column("day", 0), Column("month", 1), Reserved(2, 2)}};

}  // namespace tusko::catalog::tables
