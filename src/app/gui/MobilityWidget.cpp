#include "app/gui/MobilityWidget.h"

#include <algorithm>

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/gui/EntryList.h"
#include "app/gui/FieldEditor.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/ConfigurationDocument.h"

namespace tusko::gui {
namespace {

constexpr int kListRows = 12;
constexpr std::size_t kExtensionMaxChars = 23;
constexpr int kColumnCount = 3;
constexpr std::array<const char*, 2> kLineKeys{"strIsdnLink1", "strIsdnLink2"};
// The condition list's entries in RingCondition order.
constexpr std::array<const char*, 3> kConditionKeys{"strMobilityExtAlways", "strMobilityExtDuringWH",
                                                    "strMobilityExtOutOfWH"};

QLineEdit* NewDigitsBox(const QString& name, std::size_t maxChars, const LanguageManager& language, QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(name);
  FitToField(*box, {.editor = catalog::Editor::Text, .charset = "0123456789", .maxChars = maxChars}, language);
  return box;
}

QComboBox* NewList(const QString& name, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(name);
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

template <std::size_t N>
void SetItems(QComboBox& list, const std::array<const char*, N>& keys, const LanguageManager& language) {
  const int selected = std::max(list.currentIndex(), 0);
  list.clear();
  for (const char* key : keys) list.addItem(ToQString(language.GetString(key)));
  list.setCurrentIndex(selected);
}

}  // namespace

MobilityWidget::MobilityWidget(const PageContext& context, QWidget* parent)
    : PageWidget(parent),
      context_(context),
      line_(NewList("mobility.line", this)),
      extension_(NewDigitsBox("mobility.extension", kExtensionMaxChars, context.language, this)),
      list_(new EntryList("mobility", kListRows, 0, this)) {
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(new QLabel("strMobilityExtLine", this), line_);
  form->addRow(new QLabel("strMobilityExtExtension", this), extension_);
  auto* rings = new QGridLayout;
  for (std::size_t i = 0; i < rings_.size(); ++i) {
    const QString number = QString::number(i + 1);
    rings_[i] = NewDigitsBox("mobility.ringNumber" + number, MobilityPage::kRingMaxChars, context.language, this);
    conditions_[i] = NewList("mobility.condition" + number, this);
    rings->addWidget(rings_[i], static_cast<int>(i), 0);
    rings->addWidget(conditions_[i], static_cast<int>(i), 1);
  }
  rings->setColumnStretch(2, 1);
  auto* ringsLabel = new QLabel("strMobilityExtRingNumbers", this);
  ringsLabel->setBuddy(rings_[0]);
  form->addRow(ringsLabel, rings);
  column->addLayout(form);
  column->addWidget(list_);
  column->addStretch();
  connect(list_, &EntryList::addClicked, this, &MobilityWidget::Add);
  connect(list_, &EntryList::changeClicked, this, &MobilityWidget::Change);
  connect(list_, &EntryList::deleteClicked, this, &MobilityWidget::Delete);
  connect(list_, &EntryList::rowSelected, this, [this](std::size_t row) {
    if (const MobilityPage* page = Page()) ShowInBoxes(page->entries()[row]);
  });
  TranslateWindow(*this, context_.language);
  Relabel();
}

MobilityPage* MobilityWidget::Page() const { return dynamic_cast<MobilityPage*>(context_.document.CurrentPage()); }

void MobilityWidget::Show(const ConfigurationPage&) { Fill(-1); }

void MobilityWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void MobilityWidget::Relabel() {
  SetItems(*line_, kLineKeys, context_.language);
  for (QComboBox* condition : conditions_) SetItems(*condition, kConditionKeys, context_.language);
  // The three column titles are one text, split at '|'; a column without its title still shows.
  QStringList titles = ToQString(context_.language.GetString("strMobilityExtHeader")).split('|').mid(0, kColumnCount);
  while (titles.size() < kColumnCount) titles << QString();
  list_->SetTitles(titles);
}

std::array<RingNumber, MobilityPage::kRingCount> MobilityWidget::TypedRings() const {
  std::array<RingNumber, MobilityPage::kRingCount> typed;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    typed[i] = {ToStdString(rings_[i]->text()), static_cast<RingCondition>(std::max(conditions_[i]->currentIndex(), 0))};
  }
  return typed;
}

void MobilityWidget::ShowInBoxes(const MobilityEntry& entry) {
  line_->setCurrentIndex(entry.line);
  extension_->setText(ToQString(entry.extension));
  for (std::size_t i = 0; i < rings_.size(); ++i) {
    const RingNumber shown = i < entry.rings.size() ? entry.rings[i] : RingNumber{};
    rings_[i]->setText(ToQString(shown.number));
    conditions_[i]->setCurrentIndex(static_cast<int>(shown.condition));
  }
}

void MobilityWidget::Fill(int selected) {
  std::vector<QStringList> rows;
  if (const MobilityPage* page = Page()) {
    for (const MobilityEntry& entry : page->entries()) {
      rows.push_back({ToQString(page->LineName(entry.line)), ToQString(entry.extension),
                      ToQString(page->RingNumbersText(entry))});
    }
  }
  list_->Fill(rows, selected);
}

void MobilityWidget::Add() {
  MobilityPage* page = Page();
  if (page == nullptr) return;
  const auto row = TakenRow(*this, context_.messages,
                            page->Add(line_->currentIndex(), ToStdString(extension_->text()), TypedRings()));
  if (row) Fill(*row);
}

void MobilityWidget::Change(std::size_t row) {
  MobilityPage* page = Page();
  if (page == nullptr) return;
  const auto taken = TakenRow(*this, context_.messages,
                              page->Change(row, line_->currentIndex(), ToStdString(extension_->text()), TypedRings()));
  if (taken) Fill(*taken);
}

void MobilityWidget::Delete(std::size_t row) {
  if (MobilityPage* page = Page()) page->Delete(row);
  Fill(-1);
}

}  // namespace tusko::gui
