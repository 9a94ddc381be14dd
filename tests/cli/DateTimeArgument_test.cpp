#include "cli/DateTimeArgument.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tusko::cli {
namespace {

std::tm Tm(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec) =
      std::tuple(year - 1900, month - 1, day, hour, minute, second);
  return t;
}

DateTimeRecord Record(int year, int month, int day, int hour, int minute, int second) {
  const auto u = [](int value) { return static_cast<std::uint16_t>(value); };
  return {.year = u(year), .month = u(month), .day = u(day), .hour = u(hour), .minute = u(minute), .second = u(second)};
}

TEST(DateTimeArgument, AcceptsIsoLocalTimesAndNow) {
  const std::tm now = Tm(2026, 12, 6, 9, 8, 60);  // a leap second
  EXPECT_EQ(ParseDateTimeArgument("now", now), Record(2026, 12, 6, 9, 8, 59));
  EXPECT_EQ(ParseDateTimeArgument("2024-02-29T23:59:58", now), Record(2024, 2, 29, 23, 59, 58));
  EXPECT_EQ(ParseDateTimeArgument("2000-01-01 00:00:00", now), Record(2000, 1, 1, 0, 0, 0));
  EXPECT_EQ(FormatDateTime(Record(2099, 12, 31, 23, 5, 7)), "2099-12-31 23:05:07");
}

TEST(DateTimeArgument, RefusesWhatTheGatewayCannotHold) {
  const std::tm now = Tm(1999, 12, 31, 0, 0, 0);
  for (const char* text : {"now", "2023-02-29T00:00:00", "2100-01-01T00:00:00", "1999-12-31T23:59:59",
                           "2026-13-01T00:00:00", "2026-04-31T00:00:00", "2026-01-01T24:00:00",
                           "2026-01-01T00:60:00", "2026-01-01T00:00:60", "2026-1-01T00:00:00",
                           "2026-01-01T00:00:00Z", "2026-01-01X00:00:00", "+026-01-01T00:00:00", "",
                           "today"}) {
    EXPECT_FALSE(ParseDateTimeArgument(text, now)) << text;
  }
}

}  // namespace
}  // namespace tusko::cli
