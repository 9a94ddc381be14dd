#include "app/gui/CreditBlock.h"

#include <algorithm>
#include <array>
#include <string>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/gui/CatalogPageWidget.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/RestoreCode.h"

namespace tusko::gui {
namespace {

constexpr std::array kDayKeys{"strDay1", "strDay2", "strDay3", "strDay4", "strDay5", "strDay6", "strDay7"};
constexpr int kDays = static_cast<int>(kDayKeys.size());
constexpr int kWeeks = 4;
constexpr int kMonthDays = 31;
constexpr std::size_t kCredits = 3;
constexpr std::array<const char*, 3> kKindKeys{"strIsdnLinkRestoreDay", "strIsdnLinkRestoreWeekDay",
                                               "strIsdnLinkRestoreWeekly"};
constexpr std::array<const char*, kCredits> kCreditKeys{"strIsdnLinkCredit1", "strIsdnLinkCredit2",
                                                       "strIsdnLinkCredit3"};
// A credit's fields, named with the credit's number after them.
constexpr std::array<const char*, 5> kCreditRows{"credit", "oldCredit", "firstCount", "nextCount", "blocks"};

// The restore code as three choices; the controls a choice does not use are hidden.
class RestoreEditor final : public FieldEditor {
 public:
  RestoreEditor(const catalog::FieldRef& ref, const LanguageManager& language, QWidget* parent)
      : FieldEditor(ref), box_(new QGroupBox("strIsdnLinkRestore", parent)), kinds_(box_) {
    const QString id = ToQString(ref.Id());
    box_->setObjectName(id);
    auto* row = new QHBoxLayout(box_);
    for (std::size_t kind = 0; kind < kKindKeys.size(); ++kind) {
      auto* button = new QRadioButton(kKindKeys[kind], box_);
      button->setObjectName(id + "/" + QString::number(kind));
      kinds_.addButton(button, static_cast<int>(kind));
      row->addWidget(button);
    }
    day_ = NewNumber(id + "/day", 1, kMonthDays);
    weekLabel_ = new QLabel("strIsdnLinkRestoreWeek", box_);
    week_ = NewNumber(id + "/week", 1, kWeeks);
    weekday_ = new QComboBox(box_);
    weekday_->setObjectName(id + "/weekday");
    Relabel(language);
    for (QWidget* control : std::initializer_list<QWidget*>{day_, weekLabel_, week_, weekday_}) {
      row->addWidget(control);
    }
    row->addStretch();
    QObject::connect(&kinds_, &QButtonGroup::idToggled, box_, [this] { ShowControls(); });
  }

  QWidget* widget() const override { return box_; }
  bool labelsItself() const override { return true; }

  void Show(const catalog::FieldValue& value) override {
    const RestoreSchedule schedule = DecodeRestoreCode(static_cast<std::uint8_t>(value.number));
    kinds_.button(static_cast<int>(schedule.kind))->setChecked(true);
    const bool monthDay = schedule.kind == RestoreKind::DayOfMonth;
    day_->setValue(monthDay ? schedule.day : 1);
    week_->setValue(schedule.kind == RestoreKind::WeekdayOfMonth ? schedule.week : 1);
    weekday_->setCurrentIndex(monthDay ? 0 : std::clamp(schedule.day - 1, 0, kDays - 1));
    ShowControls();
  }

  void Read(catalog::FieldValue& value) const override {
    RestoreSchedule schedule{.kind = static_cast<RestoreKind>(kinds_.checkedId())};
    schedule.week = schedule.kind == RestoreKind::WeekdayOfMonth ? static_cast<std::uint8_t>(week_->value()) : 0;
    schedule.day = static_cast<std::uint8_t>(schedule.kind == RestoreKind::DayOfMonth ? day_->value()
                                                                                      : weekday_->currentIndex() + 1);
    value.number = EncodeRestoreCode(schedule);
  }

  void Relabel(const LanguageManager& language) override {
    const int selected = weekday_->currentIndex();
    weekday_->clear();
    for (const char* key : kDayKeys) weekday_->addItem(ToQString(language.GetString(key)));
    weekday_->setCurrentIndex(selected);
  }

 private:
  QSpinBox* NewNumber(const QString& name, int min, int max) {
    auto* box = new QSpinBox(box_);
    box->setObjectName(name);
    box->setRange(min, max);
    return box;
  }

  void ShowControls() {
    const auto kind = static_cast<RestoreKind>(kinds_.checkedId());
    day_->setVisible(kind == RestoreKind::DayOfMonth);
    weekLabel_->setVisible(kind == RestoreKind::WeekdayOfMonth);
    week_->setVisible(kind == RestoreKind::WeekdayOfMonth);
    weekday_->setVisible(kind != RestoreKind::DayOfMonth);
  }

  QGroupBox* box_;
  QButtonGroup kinds_;
  QSpinBox* day_ = nullptr;
  QLabel* weekLabel_ = nullptr;
  QSpinBox* week_ = nullptr;
  QComboBox* weekday_ = nullptr;
};

}  // namespace

QWidget* NewCreditBlock(CatalogPageWidget& host, const CatalogPage& page, std::string_view record,
                        QWidget* parent) {
  auto* block = new QWidget(parent);
  auto* column = new QVBoxLayout(block);
  column->setContentsMargins(0, 0, 0, 0);
  const std::string prefix = std::string(record) + ".";
  if (const auto restore = page.IndexOf(prefix + "restore")) {
    auto editor = std::make_unique<RestoreEditor>(page.fields()[*restore], host.context().language, block);
    column->addWidget(host.Bind(*restore, std::move(editor))->widget(), 0, Qt::AlignLeft);
  }
  auto* grid = new QGridLayout;
  for (std::size_t credit = 0; credit < kCredits; ++credit) {
    grid->addWidget(new QLabel(kCreditKeys[credit], block), 0, static_cast<int>(credit) + 1);
  }
  for (std::size_t row = 0; row < kCreditRows.size(); ++row) {
    for (std::size_t credit = 0; credit < kCredits; ++credit) {
      const auto index = page.IndexOf(prefix + kCreditRows[row] + std::to_string(credit + 1));
      FieldEditor* editor = index ? host.AddEditor(page, *index, block) : nullptr;
      if (editor == nullptr) continue;
      // The row's label says what a check box means.
      if (auto* check = qobject_cast<QAbstractButton*>(editor->widget())) check->setText({});
      if (credit == 0) grid->addWidget(new QLabel(ToQString(editor->ref().field->labelKey), block), static_cast<int>(row) + 1, 0);
      grid->addWidget(editor->widget(), static_cast<int>(row) + 1, static_cast<int>(credit) + 1);
    }
  }
  grid->setColumnStretch(static_cast<int>(kCredits) + 1, 1);
  column->addLayout(grid);
  return block;
}

}  // namespace tusko::gui
