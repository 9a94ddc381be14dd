#include "app/gui/RoutingItemDialog.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/FieldEditor.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/ConfigurationDocument.h"
#include "config/GroupModules.h"

namespace tusko::gui {
namespace {

constexpr int kMaxAoc = 254;
constexpr std::size_t kGsmGroups = 2;
constexpr std::size_t kTextMaxChars = 64;

// The credit list in order, and the counter each entry stores.
constexpr std::array<const char*, 4> kCreditKeys{"strLcrRoutingCredit1", "strLcrRoutingCredit2",
                                                 "strLcrRoutingCredit3", "strLcrRoutingCreditNone"};
constexpr std::array<std::uint8_t, 4> kCredits{0, 1, 2, kNoCreditCounter};

// The targets a rule can name: the two GSM outgoing groups, then the two ISDN links.
struct TargetKind {
  std::uint8_t code;
  const char* key;
};
constexpr std::array<TargetKind, 4> kTargetKinds{{{0, "strGsmOutGroup1"},
                                                  {1, "strGsmOutGroup2"},
                                                  {kIsdnLink1Target, "strIsdnLink1"},
                                                  {kIsdnLink2Target, "strIsdnLink2"}}};

// Any other counter counts as credit 1, as the targets column shows it.
std::size_t CreditIndex(std::uint8_t credit) {
  const auto found = std::ranges::find(kCredits, credit);
  return found == kCredits.end() ? 0 : static_cast<std::size_t>(found - kCredits.begin());
}

std::size_t KindIndex(std::uint8_t code) {
  if (code == kIsdnLink1Target || code == 'C') return 2;
  if (code == kIsdnLink2Target || code == 'D') return 3;
  return code == 1 ? 1 : 0;
}

bool IsIsdn(std::uint8_t code) { return KindIndex(code) >= kGsmGroups; }

// A target as its entry names it: what the entry shows is what OK stores.
RoutingTarget AsListed(RoutingTarget target) {
  target.code = kTargetKinds.at(KindIndex(target.code)).code;
  target.credit = kCredits.at(CreditIndex(target.credit));
  return target;
}

QSpinBox* NewNumberBox(const char* name, int max, const LanguageManager& language) {
  auto* box = new QSpinBox;
  box->setObjectName(name);
  box->setRange(0, max);
  box->setToolTip(FieldHint({.editor = catalog::Editor::Number, .min = 0, .max = max}, language));
  return box;
}

QLineEdit* NewDigitsBox(const char* name, std::string_view characters, const LanguageManager& language) {
  auto* edit = new QLineEdit;
  edit->setObjectName(name);
  FitToField(*edit, {.editor = catalog::Editor::Text, .charset = characters, .maxChars = kRoutingMaxDigits},
             language);
  return edit;
}

}  // namespace

RoutingItemDialog::RoutingItemDialog(const PageContext& context, const RoutingRecord& record,
                                     std::vector<RoutingRecord> others, Store store, QWidget* parent)
    : QDialog(parent),
      context_(context),
      record_(record),
      others_(std::move(others)),
      store_(std::move(store)),
      item_(ItemOf(record)),
      line_(KeyedList(context.language, {"strIsdnLink1", "strIsdnLink2"}, item_.line)),
      number_(NewDigitsBox("routing.number", kRoutingNumberCharacters, context.language)),
      cut_(NewNumberBox("routing.cut", kRoutingMaxDigits, context.language)),
      insert_(NewDigitsBox("routing.insert", kRoutingInsertCharacters, context.language)),
      targets_(new QTreeWidget),
      newTarget_(new QComboBox),
      aoc_(NewNumberBox("routing.aoc", kMaxAoc, context.language)),
      credit_(KeyedList(context.language, {kCreditKeys[0], kCreditKeys[1], kCreditKeys[2], kCreditKeys[3]}, 0)),
      dial_(NewNumberBox("routing.dial", kRoutingMaxDigits, context.language)) {
  setObjectName("routingItemDialog");
  setWindowTitle("strLcrRoutingItem");
  line_->setObjectName("routing.line");
  credit_->setObjectName("routing.credit");
  newTarget_->setObjectName("routing.newTarget");
  targets_->setObjectName("routing.targets");
  targets_->setColumnCount(3);
  targets_->setHeaderHidden(true);
  targets_->setRootIsDecorated(false);
  targets_->setUniformRowHeights(true);
  targets_->setFixedHeight(targets_->fontMetrics().lineSpacing() * static_cast<int>(kMaxRoutingTargets + 2));
  targets_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

  const ConfigurationImage& image = context_.document.WorkingImage();
  for (std::size_t group = 0; group < kGsmGroups; ++group) {
    if (ModulesOfOutgoingGroup(image, group).empty()) continue;
    choices_.push_back(kTargetKinds[group].code);
  }
  choices_.push_back(kIsdnLink1Target);
  choices_.push_back(kIsdnLink2Target);
  // An ISDN link has no AOC item.
  connect(newTarget_, &QComboBox::currentIndexChanged, this, [this](int index) {
    aoc_->setEnabled(index >= 0 && !IsIsdn(choices_.at(static_cast<std::size_t>(index))));
  });
  for (std::uint8_t code : choices_) {
    newTarget_->addItem(ToQString(context_.language.GetString(kTargetKinds.at(KindIndex(code)).key)));
  }

  auto* targets = new QGroupBox("strLcrRoutingTargets", this);
  auto* grid = new QGridLayout(targets);
  grid->addWidget(targets_, 0, 0);
  auto* buttons = new QVBoxLayout;
  for (const auto& [key, name, action] : {
           std::tuple<const char*, const char*, std::function<void()>>{"strListAdd", "routing.targets/add",
                                                                        [this] { AddTarget(); }},
           {"strListChange", "routing.targets/change", [this] { ChangeTarget(); }},
           {"strListDelete", "routing.targets/delete", [this] { DeleteTarget(); }},
           {"strListUp", "routing.targets/up", [this] { MoveTarget(true); }},
           {"strListDown", "routing.targets/down", [this] { MoveTarget(false); }}}) {
    auto* button = new QPushButton(key, targets);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, action);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  grid->addLayout(buttons, 0, 1);
  auto* next = new QHBoxLayout;
  next->addWidget(new QLabel("strLcrRoutingNewTarget", targets));
  next->addWidget(newTarget_);
  next->addSpacing(aoc_->fontMetrics().averageCharWidth());
  next->addWidget(new QLabel("strLcrRoutingAOC", targets));
  next->addWidget(aoc_);
  next->addWidget(credit_);
  next->addStretch();
  grid->addLayout(next, 1, 0, 1, 2);
  connect(targets_, &QTreeWidget::currentItemChanged, this, [this] {
    const int selected = SelectedTarget();
    if (selected >= 0) ShowTarget(item_.targets.at(static_cast<std::size_t>(selected)));
  });

  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(new QLabel("strLcrRoutingInputLine", this), line_);
  form->addRow(new QLabel("strLcrRoutingNumber", this), number_);
  form->addRow(new QLabel("strLcrRoutingCut", this), cut_);
  form->addRow(new QLabel("strLcrRoutingInsert", this), insert_);
  form->addRow(targets);
  form->addRow(new QLabel("strLcrRoutingNumDial", this), dial_);
  column->addLayout(form);
  QPushButton* ok = AddOkCancel(*this, *column).first;
  disconnect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(ok, &QPushButton::clicked, this, &RoutingItemDialog::Ok);
  TranslateWindow(*this, context_.language);

  for (RoutingTarget& target : item_.targets) target = AsListed(target);
  number_->setText(ToQString(item_.number));
  cut_->setValue(item_.cutDigits);
  insert_->setText(ToQString(item_.insertDigits));
  dial_->setValue(item_.dialDigits);
  FillTargets(-1);
}

void RoutingItemDialog::Ok() {
  item_.line = std::max(line_->currentIndex(), 0);
  item_.number = ToStdString(number_->text());
  item_.cutDigits = cut_->value();
  item_.insertDigits = ToStdString(insert_->text());
  item_.dialDigits = dial_->value();
  RoutingRecord record = record_;
  const TextLookup text = [this](std::string_view key) { return context_.language.GetString(key); };
  PageApply result = StoreItem(item_, others_, text, record);
  if (result.ok) result = store_(record);
  if (!result.ok) {
    ShowRefusal(*this, context_.messages, result);
    return;
  }
  record_ = record;
  accept();
}

RoutingTarget RoutingItemDialog::NewTarget() const {
  const std::uint8_t code = choices_.at(static_cast<std::size_t>(std::max(newTarget_->currentIndex(), 0)));
  const auto credit = kCredits.at(static_cast<std::size_t>(std::max(credit_->currentIndex(), 0)));
  return {code, IsIsdn(code) ? std::uint8_t{0xFF} : static_cast<std::uint8_t>(aoc_->value()), credit};
}

int RoutingItemDialog::SelectedTarget() const { return targets_->indexOfTopLevelItem(targets_->currentItem()); }

void RoutingItemDialog::AddTarget() {
  if (item_.targets.size() >= kMaxRoutingTargets) return;
  item_.targets.push_back(NewTarget());
  FillTargets(static_cast<int>(item_.targets.size()) - 1);
}

void RoutingItemDialog::ChangeTarget() {
  const int selected = SelectedTarget();
  if (selected < 0) return;
  item_.targets.at(static_cast<std::size_t>(selected)) = NewTarget();
  FillTargets(selected);
}

void RoutingItemDialog::DeleteTarget() {
  const int selected = SelectedTarget();
  if (selected < 0) return;
  item_.targets.erase(item_.targets.begin() + selected);
  FillTargets(-1);
}

void RoutingItemDialog::MoveTarget(bool up) {
  const int selected = SelectedTarget();
  const int other = up ? selected - 1 : selected + 1;
  if (selected < 0 || other < 0 || other >= static_cast<int>(item_.targets.size())) return;
  std::swap(item_.targets.at(static_cast<std::size_t>(selected)), item_.targets.at(static_cast<std::size_t>(other)));
  FillTargets(other);
}

// The new target controls take the entry, so that Change starts from it.
void RoutingItemDialog::ShowTarget(const RoutingTarget& target) {
  const auto choice = std::ranges::find(choices_, target.code);
  if (choice != choices_.end()) newTarget_->setCurrentIndex(static_cast<int>(choice - choices_.begin()));
  if (!IsIsdn(target.code)) aoc_->setValue(target.aoc);
  credit_->setCurrentIndex(static_cast<int>(CreditIndex(target.credit)));
}

void RoutingItemDialog::FillTargets(int selected) {
  const LanguageManager& language = context_.language;
  const QSignalBlocker quiet(targets_);
  targets_->clear();
  for (const RoutingTarget& target : item_.targets) {
    const std::string aoc =
        IsIsdn(target.code) ? " " : language.FormatString("strLcrRoutingAocItem", {int{target.aoc}}, kTextMaxChars);
    new QTreeWidgetItem(targets_, {ToQString(language.GetString(kTargetKinds.at(KindIndex(target.code)).key)),
                                   ToQString(aoc), ToQString(language.GetString(kCreditKeys.at(CreditIndex(target.credit))))});
  }
  if (selected >= 0) targets_->setCurrentItem(targets_->topLevelItem(selected));
}

}  // namespace tusko::gui
