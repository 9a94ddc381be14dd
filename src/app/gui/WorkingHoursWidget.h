#pragma once

#include <array>

#include "app/gui/PageWidget.h"
#include "config/WorkingHoursPage.h"

class QDateEdit;
class QTimeEdit;

namespace tusko::gui {

class EntryList;

// The working hours, two intervals for each day of the week, and the
// holidays in a list with Add, Change and Delete.
class WorkingHoursWidget final : public PageWidget {
  Q_OBJECT

 public:
  explicit WorkingHoursWidget(const PageContext& context, QWidget* parent = nullptr);

  void Show(const ConfigurationPage& page) override;
  // Only the times the user changed: a stored time no editor can show stays.
  void Store(ConfigurationPage& page) const override;
  void FocusField(std::string_view field) override;
  void Relabel() override;

 private:
  WorkingHoursPage* Page() const;
  Holiday Typed() const;
  void Add();
  void Change(std::size_t row);
  void Delete(std::size_t row);
  void Fill(int selected);

  PageContext context_;
  std::array<std::array<QTimeEdit*, WorkingHoursPage::kSlots>, WorkingHoursPage::kDays> times_{};
  std::array<WorkingHoursPage::Day, WorkingHoursPage::kDays> shown_{};
  QDateEdit* date_;
  EntryList* list_;
};

}  // namespace tusko::gui
