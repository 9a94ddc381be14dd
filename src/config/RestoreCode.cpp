#include "config/RestoreCode.h"

namespace tusko {
namespace {

constexpr unsigned kWeekdayFlag = 0x80;
constexpr unsigned kWeeklyMask = 0xF8;  // flag and week bits: flag alone means weekly
constexpr unsigned kWeekMask = 0x38;
constexpr unsigned kWeekShift = 3;
constexpr unsigned kDayMask = 0x07;

}  // namespace

RestoreSchedule DecodeRestoreCode(std::uint8_t code) {
  if ((code & kWeeklyMask) == kWeekdayFlag) {
    return {RestoreKind::Weekly, 0, static_cast<std::uint8_t>(code & kDayMask)};
  }
  if ((code & kWeekdayFlag) != 0) {
    return {RestoreKind::WeekdayOfMonth, static_cast<std::uint8_t>((code & kWeekMask) >> kWeekShift),
            static_cast<std::uint8_t>(code & kDayMask)};
  }
  return {RestoreKind::DayOfMonth, 0, code};
}

std::uint8_t EncodeRestoreCode(const RestoreSchedule& schedule) {
  switch (schedule.kind) {
    case RestoreKind::WeekdayOfMonth:
      return static_cast<std::uint8_t>(kWeekdayFlag | (unsigned{schedule.week} << kWeekShift) | schedule.day);
    case RestoreKind::Weekly:
      return static_cast<std::uint8_t>(kWeekdayFlag | schedule.day);
    case RestoreKind::DayOfMonth:
      break;
  }
  return schedule.day;
}

}  // namespace tusko
