#include "cli/DateTimeArgument.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace tusko::cli {

namespace {

constexpr int kTmYearBase = 1900;
constexpr std::array<int, 12> kDaysInMonth{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) { return month == 2 && IsLeapYear(year) ? 29 : kDaysInMonth[month - 1]; }

// Reads exactly `digits` decimal digits at `position`.
std::optional<int> Number(std::string_view text, std::size_t position, std::size_t digits) {
  if (position + digits > text.size()) return std::nullopt;
  int value = 0;
  const char* first = text.data() + position;
  const auto [end, error] = std::from_chars(first, first + digits, value);
  if (error != std::errc() || end != first + digits) return std::nullopt;
  return value;
}

std::optional<DateTimeRecord> Checked(int year, int month, int day, int hour, int minute, int second) {
  if (year < kGatewayFirstYear || year > kGatewayLastYear || month < 1 || month > 12) return std::nullopt;
  if (day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 || second > 59) return std::nullopt;
  DateTimeRecord record;
  record.year = static_cast<std::uint16_t>(year);
  record.month = static_cast<std::uint16_t>(month);
  record.day = static_cast<std::uint16_t>(day);
  record.hour = static_cast<std::uint16_t>(hour);
  record.minute = static_cast<std::uint16_t>(minute);
  record.second = static_cast<std::uint16_t>(second);
  return record;
}

}  // namespace

std::optional<DateTimeRecord> ParseDateTimeArgument(std::string_view text, const std::tm& now) {
  if (text == "now") {
    return Checked(now.tm_year + kTmYearBase, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min,
                   std::min(now.tm_sec, 59));  // a leap second is held as :59
  }
  // YYYY-MM-DDTHH:MM:SS
  constexpr std::size_t kLength = 19;
  if (text.size() != kLength || text[4] != '-' || text[7] != '-' || (text[10] != 'T' && text[10] != ' ') ||
      text[13] != ':' || text[16] != ':') {
    return std::nullopt;
  }
  const auto year = Number(text, 0, 4), month = Number(text, 5, 2), day = Number(text, 8, 2);
  const auto hour = Number(text, 11, 2), minute = Number(text, 14, 2), second = Number(text, 17, 2);
  if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
  return Checked(*year, *month, *day, *hour, *minute, *second);
}

std::tm LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

std::string FormatDateTime(const DateTimeRecord& time) {
  std::array<char, 64> text{};  // room for any 16-bit field
  std::snprintf(text.data(), text.size(), "%04u-%02u-%02u %02u:%02u:%02u", unsigned{time.year}, unsigned{time.month},
                unsigned{time.day}, unsigned{time.hour}, unsigned{time.minute}, unsigned{time.second});
  return text.data();
}

}  // namespace tusko::cli
