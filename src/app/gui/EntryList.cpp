#include "app/gui/EntryList.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/gui/FieldEditor.h"
#include "app/gui/PageWidget.h"

namespace tusko::gui {

EntryList::EntryList(const QString& name, int rows, int widthChars, QWidget* parent)
    : QWidget(parent), list_(new QTreeWidget(this)) {
  list_->setObjectName(name);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setFixedHeight(list_->fontMetrics().lineSpacing() * (rows + 2));
  list_->setHeaderHidden(true);
  if (widthChars > 0) {
    FitToChars(*list_, widthChars);
    list_->header()->setSectionResizeMode(QHeaderView::Stretch);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  }
  connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
    const int row = list_->indexOfTopLevelItem(item);
    if (row >= 0) emit rowSelected(static_cast<std::size_t>(row));
  });

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(list_, 0, 0);
  auto* buttons = new QVBoxLayout;
  const auto addButton = [&](const char* key, const char* action) {
    auto* button = new QPushButton(key, this);
    button->setObjectName(name + "/" + action);
    buttons->addWidget(button);
    return button;
  };
  connect(addButton("strListAdd", "add"), &QPushButton::clicked, this, &EntryList::addClicked);
  connect(addButton("strListChange", "change"), &QPushButton::clicked, this, [this] {
    if (Selected() >= 0) emit changeClicked(static_cast<std::size_t>(Selected()));
  });
  connect(addButton("strListDelete", "delete"), &QPushButton::clicked, this, [this] {
    if (Selected() >= 0) emit deleteClicked(static_cast<std::size_t>(Selected()));
  });
  buttons->addStretch();
  grid->addLayout(buttons, 0, 1);
  if (widthChars > 0) grid->setColumnStretch(2, 1);
}

void EntryList::SetTitles(const QStringList& titles) {
  list_->setHeaderLabels(titles);
  list_->setHeaderHidden(titles.size() < 2);
}

void EntryList::Fill(const std::vector<QStringList>& rows, int selected) {
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const QStringList& row : rows) new QTreeWidgetItem(list_, row);
  if (selected >= 0) list_->setCurrentItem(list_->topLevelItem(selected));
}

int EntryList::Selected() const { return list_->indexOfTopLevelItem(list_->currentItem()); }

std::optional<int> TakenRow(QWidget& page, MessageService& messages, const std::variant<std::size_t, PageApply>& result) {
  if (const auto* refusal = std::get_if<PageApply>(&result)) {
    if (!refusal->ok) ShowRefusal(page, messages, *refusal);
    return std::nullopt;
  }
  return static_cast<int>(std::get<std::size_t>(result));
}

}  // namespace tusko::gui
