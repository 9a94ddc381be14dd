#pragma once

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationPage.h"

namespace tusko {

// A time of a working-hours slot in minutes after midnight.
using SlotTime = int;

struct Holiday {
  int day = 0;    // 1..31
  int month = 0;  // 1..12
  bool operator==(const Holiday&) const = default;
};

// The working hours (two intervals per weekday, Monday first) and up to 40
// holidays ordered by month and day.
class WorkingHoursPage final : public ConfigurationPage {
 public:
  static constexpr std::size_t kDays = 7;
  static constexpr std::size_t kSlots = 4;  // beginning and end of two intervals
  static constexpr std::size_t kMaxHolidays = 40;
  using Day = std::array<SlotTime, kSlots>;

  explicit WorkingHoursPage(TextLookup text) : text_(std::move(text)) {}

  PageId id() const override { return PageId::MobilityExtensionWorkingHours; }
  void Load(ConfigurationImage& working) override;
  // An interval from 0:00 to 0:00 is not in use. The times in use of a day
  // must rise; the first day where they do not is refused with its first
  // field's focus, the days before it written.
  PageApply Apply(ConfigurationImage& working) override;

  const Day& day(std::size_t index) const { return days_.at(index); }
  void SetDay(std::size_t index, const Day& times) { days_.at(index) = times; }
  const std::vector<Holiday>& holidays() const { return holidays_; }
  // The index of the holiday, or a PageApply: the refusal, or a success that
  // changed nothing (a full list).
  std::variant<std::size_t, PageApply> AddHoliday(const Holiday& holiday);
  std::variant<std::size_t, PageApply> ChangeHoliday(std::size_t index, const Holiday& holiday);
  void DeleteHoliday(std::size_t index);
  // A holiday in the language's date format ("strWorkingHoursDateFormat": dd, d, MM, M).
  std::string HolidayText(const Holiday& holiday) const;
  // The focus name of a day's first time field.
  static std::string DayField(std::size_t day) { return SlotField(day, 0); }
  // The name of a day's time field: "workingDay1.begin1" .. "workingDay7.end2".
  static std::string SlotField(std::size_t day, std::size_t slot);
  // The first refusal of the loaded days and holidays as Apply and the holiday
  // editor would give it (times out of order, a holiday stored twice), or success.
  PageApply CheckEntries() const;

 private:
  PageApply DayRefusal(std::size_t day) const;
  std::variant<std::size_t, PageApply> InsertHoliday(const Holiday& holiday, std::size_t except);

  TextLookup text_;
  std::array<Day, kDays> days_{};
  std::vector<Holiday> holidays_;
  std::array<Day, kDays> loadedDays_{};
  std::vector<Holiday> loadedHolidays_;
  PageApply holidayRefusal_;  // of the first holiday Load found stored twice
};

}  // namespace tusko
