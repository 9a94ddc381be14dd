#include "config/WorkingHoursPage.h"

#include <algorithm>

#include "config/ImageLayout.h"

namespace tusko {
namespace {

constexpr std::size_t kDayBase = 28628;
constexpr std::size_t kDayStride = 32;
constexpr std::size_t kSlotStride = 4;
constexpr std::size_t kHolidayBase = 28852;
constexpr std::size_t kHolidayStride = 4;
constexpr std::uint8_t kNotInUse = 0xFF;
constexpr int kMinutesPerHour = 60;
constexpr int kDaysPerMonth = 31;

std::size_t SlotOffset(std::size_t day, std::size_t slot) { return kDayBase + kDayStride * day + kSlotStride * slot; }
std::size_t HolidayOffset(std::size_t index) { return kHolidayBase + kHolidayStride * index; }

int Order(const Holiday& holiday) { return holiday.month * kDaysPerMonth + holiday.day; }

// An interval from 0:00 to 0:00 is not in use.
std::array<bool, WorkingHoursPage::kSlots> SlotsInUse(const WorkingHoursPage::Day& times) {
  std::array<bool, WorkingHoursPage::kSlots> inUse{};
  for (std::size_t s = 0; s < WorkingHoursPage::kSlots; s += 2) inUse[s] = inUse[s + 1] = !(times[s] == 0 && times[s + 1] == 0);
  return inUse;
}

std::string TwoDigits(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

std::string WorkingHoursPage::SlotField(std::size_t day, std::size_t slot) {
  constexpr std::array<const char*, kSlots> kSlotNames{"begin1", "end1", "begin2", "end2"};
  return "workingDay" + std::to_string(day + 1) + "." + kSlotNames.at(slot);
}

void WorkingHoursPage::Load(ConfigurationImage& working) {
  for (std::size_t d = 0; d < kDays; ++d) {
    for (std::size_t s = 0; s < kSlots; ++s) {
      const std::uint8_t hour = working.Byte(SlotOffset(d, s));
      const std::uint8_t minute = working.Byte(SlotOffset(d, s) + 1);
      days_[d][s] = hour == kNotInUse || minute == kNotInUse ? 0 : hour * kMinutesPerHour + minute;
    }
  }
  holidays_.clear();
  holidayRefusal_ = PageApply::Success();
  for (std::size_t h = 0; h < kMaxHolidays; ++h) {
    const std::uint8_t day = working.Byte(HolidayOffset(h));
    const std::uint8_t month = working.Byte(HolidayOffset(h) + 1);
    if (day == kNotInUse || month == kNotInUse) break;
    // A holiday stored twice is shown once.
    const auto inserted = InsertHoliday({day, month}, holidays_.size());
    if (const PageApply* refused = std::get_if<PageApply>(&inserted); refused && holidayRefusal_.ok) {
      holidayRefusal_ = *refused;
    }
  }
  loadedDays_ = days_;
  loadedHolidays_ = holidays_;
}

PageApply WorkingHoursPage::Apply(ConfigurationImage& working) {
  if (days_ == loadedDays_ && holidays_ == loadedHolidays_) return PageApply::Success();
  for (std::size_t d = 0; d < kDays; ++d) {
    if (PageApply refusal = DayRefusal(d); !refusal.ok) return refusal;
    const std::array<bool, kSlots> inUse = SlotsInUse(days_[d]);
    for (std::size_t s = 0; s < kSlots; ++s) {
      working.SetByte(SlotOffset(d, s), inUse[s] ? static_cast<std::uint8_t>(days_[d][s] / kMinutesPerHour) : kNotInUse);
      working.SetByte(SlotOffset(d, s) + 1, inUse[s] ? static_cast<std::uint8_t>(days_[d][s] % kMinutesPerHour) : kNotInUse);
    }
  }
  working.Fill(kHolidayBase, kHolidayStride * kMaxHolidays, layout::kUnset);
  for (std::size_t h = 0; h < holidays_.size(); ++h) {
    working.SetByte(HolidayOffset(h), static_cast<std::uint8_t>(holidays_[h].day));
    working.SetByte(HolidayOffset(h) + 1, static_cast<std::uint8_t>(holidays_[h].month));
  }
  loadedDays_ = days_;
  loadedHolidays_ = holidays_;
  return PageApply::Success();
}

PageApply WorkingHoursPage::DayRefusal(std::size_t day) const {
  const std::array<bool, kSlots> inUse = SlotsInUse(days_[day]);
  for (std::size_t s = 1; s < kSlots; ++s) {
    if (inUse[s] && inUse[s - 1] && days_[day][s - 1] >= days_[day][s]) {
      return PageApply::Failure("strWorkingHoursErr", DayField(day));
    }
  }
  return PageApply::Success();
}

PageApply WorkingHoursPage::CheckEntries() const {
  for (std::size_t d = 0; d < kDays; ++d) {
    if (PageApply refusal = DayRefusal(d); !refusal.ok) return refusal;
  }
  return holidayRefusal_;
}

std::variant<std::size_t, PageApply> WorkingHoursPage::InsertHoliday(const Holiday& holiday, std::size_t except) {
  for (std::size_t i = 0; i < holidays_.size(); ++i) {
    if (i != except && HolidayText(holidays_[i]) == HolidayText(holiday)) {
      return PageApply::Failure("strWorkingHoursErrHolidayDuplicate", "holiday", {HolidayText(holiday)});
    }
  }
  if (except < holidays_.size()) holidays_.erase(holidays_.begin() + static_cast<std::ptrdiff_t>(except));
  const auto at = std::upper_bound(holidays_.begin(), holidays_.end(), holiday,
                                   [](const Holiday& a, const Holiday& b) { return Order(a) < Order(b); });
  return static_cast<std::size_t>(holidays_.insert(at, holiday) - holidays_.begin());
}

std::variant<std::size_t, PageApply> WorkingHoursPage::AddHoliday(const Holiday& holiday) {
  if (holidays_.size() >= kMaxHolidays) return PageApply::Success();
  return InsertHoliday(holiday, holidays_.size());
}

std::variant<std::size_t, PageApply> WorkingHoursPage::ChangeHoliday(std::size_t index, const Holiday& holiday) {
  if (index >= holidays_.size()) return PageApply::Success();
  return InsertHoliday(holiday, index);
}

void WorkingHoursPage::DeleteHoliday(std::size_t index) {
  if (index < holidays_.size()) holidays_.erase(holidays_.begin() + static_cast<std::ptrdiff_t>(index));
}

std::string WorkingHoursPage::HolidayText(const Holiday& holiday) const {
  const std::string format = text_ ? text_("strWorkingHoursDateFormat") : std::string("dd/MM");
  std::string text;
  for (std::size_t i = 0; i < format.size();) {
    const char c = format[i];
    const bool twice = i + 1 < format.size() && format[i + 1] == c;
    if (c == 'd' || c == 'M') {
      const int value = c == 'd' ? holiday.day : holiday.month;
      text += twice ? TwoDigits(value) : std::to_string(value);
      i += twice ? 2 : 1;
    } else {
      text.push_back(c);
      ++i;
    }
  }
  return text;
}

}  // namespace tusko
