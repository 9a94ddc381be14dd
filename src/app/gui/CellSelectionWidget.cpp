#include "app/gui/CellSelectionWidget.h"

#include <algorithm>
#include <tuple>
#include <variant>

#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/gui/FieldEditor.h"
#include "app/gui/MessageService.h"
#include "app/gui/OnlineCellSource.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "app/session/DeviceInfoRows.h"
#include "config/ConfigurationDocument.h"

namespace tusko::gui {
namespace {

constexpr std::array<const char*, 4> kColumnKeys{"strGsmCellSelMcc", "strGsmCellSelMnc", "strGsmCellSelLac",
                                                 "strGsmCellSelCellId"};
// What each box takes: MCC and MNC are digits, LAC and cell identity hexadecimal.
constexpr std::array<const char*, 4> kBoxPatterns{"[0-9]{0,3}", "[0-9]{0,2}", "[0-9A-Fa-f]{0,4}",
                                                  "[0-9A-Fa-f]{0,4}"};
constexpr int kCellRows = 8;
// A column's room beside its text: the header section's and the cell's margins.
constexpr int kColumnPadding = 24;
constexpr int kGsmModules = 2;

QTreeWidget* NewCellList(const char* name, QWidget* parent) {
  auto* list = new QTreeWidget(parent);
  list->setObjectName(name);
  list->setColumnCount(static_cast<int>(kColumnKeys.size()));
  list->setRootIsDecorated(false);
  list->setUniformRowHeights(true);
  list->setFixedHeight(list->fontMetrics().lineSpacing() * (kCellRows + 2));
  return list;
}

// Names the columns and makes each as wide as its title or its widest value,
// and the list as wide as its columns, so that no column is cut off.
void NameColumns(QTreeWidget& list, const LanguageManager& language) {
  QStringList titles;
  for (const char* key : kColumnKeys) titles << ToQString(language.GetString(key));
  list.setHeaderLabels(titles);
  const QFontMetrics titleMetrics(list.header()->font());
  int total = 0;
  for (int column = 0; column < list.columnCount(); ++column) {
    const QString widestValue(static_cast<int>(kCellFieldWidths[static_cast<std::size_t>(column)]), QChar('W'));
    const int width = std::max(titleMetrics.horizontalAdvance(titles[column]),
                               list.fontMetrics().horizontalAdvance(widestValue)) +
                      kColumnPadding;
    list.setColumnWidth(column, width);
    total += width;
  }
  list.setMinimumWidth(total + 2 * list.frameWidth() + list.verticalScrollBar()->sizeHint().width());
}

QPushButton* NewButton(const char* key, const char* name, QWidget* parent) {
  auto* button = new QPushButton(key, parent);
  button->setObjectName(name);
  return button;
}

}  // namespace

void SetCellRow(QTreeWidgetItem& row, const Cell& cell) {
  for (std::size_t i = 0; i < cell.fields.size(); ++i) row.setText(static_cast<int>(i), ToQString(cell.fields[i]));
}

CellSelectionWidget::CellSelectionWidget(const PageContext& context, QWidget* parent)
    : PageWidget(parent), context_(context) {
  auto* column = new QVBoxLayout(this);
  auto* configured = new QGroupBox("strGsmCellSelConfigured", this);
  column->addWidget(configured);
  auto* grid = new QGridLayout(configured);
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    const int at = static_cast<int>(i);
    auto* label = new QLabel(kColumnKeys[i], configured);
    boxes_[i] = new QLineEdit(configured);
    boxes_[i]->setObjectName(ToQString(kCellFieldNames[i]));
    boxes_[i]->setValidator(new QRegularExpressionValidator(QRegularExpression(kBoxPatterns[i]), boxes_[i]));
    FitToChars(*boxes_[i], static_cast<int>(kCellFieldWidths[i]) + 2);
    label->setBuddy(boxes_[i]);
    grid->addWidget(label, 0, at);
    grid->addWidget(boxes_[i], 1, at);
  }
  auto* buttons = new QVBoxLayout;
  for (const auto& [key, name, action] :
       {std::tuple{"strListAdd", "cell/add", &CellSelectionWidget::Add},
        std::tuple{"strListChange", "cell/change", &CellSelectionWidget::Change},
        std::tuple{"strListDelete", "cell/delete", &CellSelectionWidget::Delete}}) {
    QPushButton* button = NewButton(key, name, configured);
    connect(button, &QPushButton::clicked, this, action);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  cells_ = NewCellList("cells", configured);
  grid->addWidget(cells_, 2, 0, 1, static_cast<int>(boxes_.size()));
  grid->addLayout(buttons, 1, static_cast<int>(boxes_.size()), 2, 1);
  grid->setColumnStretch(static_cast<int>(boxes_.size()) + 1, 1);
  connect(cells_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    const CellSelectionPage* page = Page();
    const int row = item == nullptr ? -1 : cells_->indexOfTopLevelItem(item);
    if (page != nullptr && row >= 0) ShowInBoxes(page->cells()[static_cast<std::size_t>(row)]);
  });

  column->addWidget(NewOnlineBox());

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  action_ = new QComboBox(this);
  action_->setObjectName("cellSelection.action");
  action_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  form->addRow(new QLabel("strGsmCellSelAction", this), action_);
  column->addLayout(form);
  column->addStretch();
  TranslateWindow(*this, context_.language);
  Relabel();
}

QGroupBox* CellSelectionWidget::NewOnlineBox() {
  auto* online = new QGroupBox("strGsmCellSelOnline", this);
  auto* grid = new QGridLayout(online);
  module_ = new QComboBox(online);
  module_->setObjectName("onlineCells.module");
  module_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  grid->addWidget(module_, 0, 0);
  onlineCells_ = NewCellList("onlineCells", online);
  grid->addWidget(onlineCells_, 1, 0);
  auto* buttons = new QVBoxLayout;
  QPushButton* read = NewButton("strGsmCellSelRead", "onlineCells/read", online);
  // Without a gateway to ask there is nothing to read.
  read->setEnabled(context_.cells != nullptr);
  connect(read, &QPushButton::clicked, this, &CellSelectionWidget::ReadOnline);
  QPushButton* add = NewButton("strGsmCellSelAdd", "onlineCells/add", online);
  connect(add, &QPushButton::clicked, this, &CellSelectionWidget::AddOnline);
  buttons->addWidget(read);
  buttons->addWidget(add);
  buttons->addStretch();
  grid->addLayout(buttons, 1, 1);
  grid->setColumnStretch(2, 1);
  return online;
}

void CellSelectionWidget::ReadOnline() {
  onlineCells_->clear();
  online_.clear();
  const int module = std::max(module_->currentIndex(), 0);
  const std::string name = context_.language.GetString(ModuleNameKey(module));
  context_.cells->ReadCells(module, [self = QPointer(this), name](std::optional<std::vector<Cell>> cells) {
    if (self) self->ShowOnline(name, std::move(cells));
  });
}

void CellSelectionWidget::ShowOnline(const std::string& moduleName, std::optional<std::vector<Cell>> cells) {
  if (!cells) {
    context_.messages.Show("strGsmCellSelReadError", "strError", kStyleWarning, {moduleName});
    return;
  }
  if (cells->empty()) {
    context_.messages.Show("strGsmCellSelReadEmpty", std::nullopt, kStyleInformation, {moduleName});
    return;
  }
  online_ = std::move(*cells);
  for (const Cell& cell : online_) SetCellRow(*new QTreeWidgetItem(onlineCells_), cell);
}

void CellSelectionWidget::AddOnline() {
  const int selected = onlineCells_->indexOfTopLevelItem(onlineCells_->currentItem());
  if (selected < 0) return;
  ShowInBoxes(online_[static_cast<std::size_t>(selected)]);
  Add();
}

CellSelectionPage* CellSelectionWidget::Page() const {
  return dynamic_cast<CellSelectionPage*>(context_.document.CurrentPage());
}

void CellSelectionWidget::Show(const ConfigurationPage& model) {
  const auto* page = dynamic_cast<const CellSelectionPage*>(&model);
  if (page == nullptr) return;
  action_->setCurrentIndex(static_cast<int>(page->action()));
  FillCells(-1);
}

void CellSelectionWidget::Store(ConfigurationPage& model) const {
  if (auto* page = dynamic_cast<CellSelectionPage*>(&model)) {
    page->SetAction(static_cast<std::size_t>(std::max(action_->currentIndex(), 0)));
  }
}

void CellSelectionWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void CellSelectionWidget::Relabel() {
  const int selected = action_->currentIndex();
  action_->clear();
  for (std::string_view key : CellSelectionPage::kActionKeys) action_->addItem(ToQString(context_.language.GetString(key)));
  action_->setCurrentIndex(selected);
  NameColumns(*cells_, context_.language);
  NameColumns(*onlineCells_, context_.language);
  const int module = module_->currentIndex();
  module_->clear();
  for (int m = 0; m < kGsmModules; ++m) module_->addItem(ToQString(context_.language.GetString(ModuleNameKey(m))));
  module_->setCurrentIndex(std::max(module, 0));
}

Cell CellSelectionWidget::Typed() const {
  Cell cell;
  for (std::size_t i = 0; i < boxes_.size(); ++i) cell.fields[i] = ToStdString(boxes_[i]->text().toUpper());
  return cell;
}

void CellSelectionWidget::ShowInBoxes(const Cell& cell) {
  for (std::size_t i = 0; i < boxes_.size(); ++i) boxes_[i]->setText(ToQString(cell.fields[i]));
}

void CellSelectionWidget::FillCells(int selected) {
  const CellSelectionPage* page = Page();
  const QSignalBlocker quiet(cells_);
  cells_->clear();
  if (page == nullptr) return;
  for (const Cell& cell : page->cells()) SetCellRow(*new QTreeWidgetItem(cells_), cell);
  if (selected >= 0) cells_->setCurrentItem(cells_->topLevelItem(selected));
}

void CellSelectionWidget::Add() {
  CellSelectionPage* page = Page();
  if (page == nullptr) return;
  const auto result = page->Add(Typed());
  if (const auto* refusal = std::get_if<PageApply>(&result)) {
    if (!refusal->ok) ShowRefusal(*this, context_.messages, *refusal);
    return;
  }
  const std::size_t index = std::get<std::size_t>(result);
  FillCells(static_cast<int>(index));
  ShowInBoxes(page->cells()[index]);
}

void CellSelectionWidget::Change() {
  CellSelectionPage* page = Page();
  const int selected = cells_->indexOfTopLevelItem(cells_->currentItem());
  if (page == nullptr || selected < 0) return;
  const auto result = page->Change(static_cast<std::size_t>(selected), Typed());
  if (const auto* refusal = std::get_if<PageApply>(&result)) {
    if (!refusal->ok) ShowRefusal(*this, context_.messages, *refusal);
    return;
  }
  FillCells(selected);
  ShowInBoxes(page->cells()[static_cast<std::size_t>(selected)]);
}

void CellSelectionWidget::Delete() {
  CellSelectionPage* page = Page();
  const int selected = cells_->indexOfTopLevelItem(cells_->currentItem());
  if (page == nullptr || selected < 0) return;
  page->Delete(static_cast<std::size_t>(selected));
  FillCells(-1);
}

}  // namespace tusko::gui
