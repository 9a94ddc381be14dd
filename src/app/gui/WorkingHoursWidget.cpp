#include "app/gui/WorkingHoursWidget.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "app/gui/EntryList.h"
#include "app/gui/FieldEditor.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/ConfigurationDocument.h"

namespace tusko::gui {
namespace {

constexpr int kMinutesPerHour = 60;
constexpr int kHolidayRows = 8;
constexpr int kHolidayChars = 10;
// A day and month shown in a year that has every one of them.
constexpr int kLeapYear = 2000;
constexpr std::array<const char*, WorkingHoursPage::kDays> kDayKeys{
    "strWorkingHoursMonday", "strWorkingHoursTuesday",  "strWorkingHoursWednesday", "strWorkingHoursThursday",
    "strWorkingHoursFriday", "strWorkingHoursSaturday", "strWorkingHoursSunday"};
constexpr std::array<const char*, WorkingHoursPage::kSlots> kSlotTitleKeys{
    "strWorkingHoursBeginning", "strWorkingHoursEnd", "strWorkingHoursBeginning", "strWorkingHoursEnd"};

SlotTime Minutes(const QTime& time) { return time.hour() * kMinutesPerHour + time.minute(); }

}  // namespace

WorkingHoursWidget::WorkingHoursWidget(const PageContext& context, QWidget* parent)
    : PageWidget(parent), context_(context), date_(new QDateEdit(QDate::currentDate(), this)), list_(nullptr) {
  auto* column = new QVBoxLayout(this);
  auto* days = new QGridLayout;
  for (std::size_t s = 0; s < WorkingHoursPage::kSlots; ++s) {
    days->addWidget(new QLabel(kSlotTitleKeys[s], this), 0, static_cast<int>(s) + 1);
  }
  for (std::size_t d = 0; d < WorkingHoursPage::kDays; ++d) {
    const int row = static_cast<int>(d) + 1;
    auto* label = new QLabel(kDayKeys[d], this);
    days->addWidget(label, row, 0);
    for (std::size_t s = 0; s < WorkingHoursPage::kSlots; ++s) {
      auto* time = new QTimeEdit(this);
      time->setObjectName(ToQString(WorkingHoursPage::SlotField(d, s)));
      time->setDisplayFormat("H:mm");
      days->addWidget(time, row, static_cast<int>(s) + 1);
      times_[d][s] = time;
    }
    label->setBuddy(times_[d][0]);
  }
  days->setColumnStretch(static_cast<int>(WorkingHoursPage::kSlots) + 1, 1);
  column->addLayout(days);

  auto* holidays = new QGroupBox("strWorkingHoursHolidays", this);
  auto* holidayColumn = new QVBoxLayout(holidays);
  date_->setObjectName("holiday");
  holidayColumn->addWidget(date_, 0, Qt::AlignLeft);
  list_ = new EntryList("holidays", kHolidayRows, kHolidayChars, holidays);
  holidayColumn->addWidget(list_);
  column->addWidget(holidays);
  column->addStretch();
  connect(list_, &EntryList::addClicked, this, &WorkingHoursWidget::Add);
  connect(list_, &EntryList::changeClicked, this, &WorkingHoursWidget::Change);
  connect(list_, &EntryList::deleteClicked, this, &WorkingHoursWidget::Delete);
  connect(list_, &EntryList::rowSelected, this, [this](std::size_t row) {
    const WorkingHoursPage* page = Page();
    if (page == nullptr) return;
    const Holiday& holiday = page->holidays()[row];
    QDate date(QDate::currentDate().year(), holiday.month, holiday.day);
    if (!date.isValid()) date = QDate(kLeapYear, holiday.month, holiday.day);
    date_->setDate(date);
  });
  TranslateWindow(*this, context_.language);
  Relabel();
}

WorkingHoursPage* WorkingHoursWidget::Page() const {
  return dynamic_cast<WorkingHoursPage*>(context_.document.CurrentPage());
}

void WorkingHoursWidget::Show(const ConfigurationPage& model) {
  const auto* page = dynamic_cast<const WorkingHoursPage*>(&model);
  if (page == nullptr) return;
  for (std::size_t d = 0; d < WorkingHoursPage::kDays; ++d) {
    for (std::size_t s = 0; s < WorkingHoursPage::kSlots; ++s) {
      const SlotTime stored = page->day(d)[s];
      times_[d][s]->setTime(QTime(stored / kMinutesPerHour, stored % kMinutesPerHour));
      shown_[d][s] = Minutes(times_[d][s]->time());
    }
  }
  Fill(-1);
}

void WorkingHoursWidget::Store(ConfigurationPage& model) const {
  auto* page = dynamic_cast<WorkingHoursPage*>(&model);
  if (page == nullptr) return;
  for (std::size_t d = 0; d < WorkingHoursPage::kDays; ++d) {
    WorkingHoursPage::Day day = page->day(d);
    for (std::size_t s = 0; s < WorkingHoursPage::kSlots; ++s) {
      const SlotTime typed = Minutes(times_[d][s]->time());
      if (typed != shown_[d][s]) day[s] = typed;
    }
    page->SetDay(d, day);
  }
}

void WorkingHoursWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void WorkingHoursWidget::Relabel() {
  date_->setDisplayFormat(ToQString(context_.language.GetString("strWorkingHoursDateFormat")));
}

Holiday WorkingHoursWidget::Typed() const { return {date_->date().day(), date_->date().month()}; }

void WorkingHoursWidget::Fill(int selected) {
  std::vector<QStringList> rows;
  if (const WorkingHoursPage* page = Page()) {
    for (const Holiday& holiday : page->holidays()) rows.push_back({ToQString(page->HolidayText(holiday))});
  }
  list_->Fill(rows, selected);
}

void WorkingHoursWidget::Add() {
  WorkingHoursPage* page = Page();
  if (page == nullptr) return;
  if (const auto row = TakenRow(*this, context_.messages, page->AddHoliday(Typed()))) Fill(*row);
}

void WorkingHoursWidget::Change(std::size_t row) {
  WorkingHoursPage* page = Page();
  if (page == nullptr) return;
  if (const auto taken = TakenRow(*this, context_.messages, page->ChangeHoliday(row, Typed()))) Fill(*taken);
}

void WorkingHoursWidget::Delete(std::size_t row) {
  if (WorkingHoursPage* page = Page()) page->DeleteHoliday(row);
  Fill(-1);
}

}  // namespace tusko::gui
