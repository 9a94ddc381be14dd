#include "app/gui/ListEditor.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/MessageService.h"
#include "app/gui/UiText.h"
#include "config/ListEditing.h"

namespace tusko::gui {
namespace {

constexpr int kListRows = 5;
constexpr int kListFrameHeight = 8;

}  // namespace

ListEditor::ListEditor(const catalog::FieldRef& ref, const EditorContext& context, ListButtons buttons,
                       QWidget* parent)
    : FieldEditor(ref),
      messages_(context.messages),
      box_(new QWidget(parent)),
      list_(new QListWidget(box_)),
      edit_(new QLineEdit(box_)) {
  const catalog::Field& field = *ref.field;
  const QString id = ToQString(ref.Id());
  list_->setObjectName(id);
  edit_->setObjectName(id + "/edit");
  FitToField(*edit_, field, context.language);
  list_->setFixedSize(edit_->width(), list_->fontMetrics().lineSpacing() * kListRows + kListFrameHeight);

  auto* grid = new QGridLayout(box_);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(edit_, 0, 0);
  grid->addWidget(list_, 1, 0);
  auto* column = new QVBoxLayout;
  column->addWidget(AddButton("strListAdd", "add", &ListEditor::Add));
  if (buttons.change) column->addWidget(AddButton("strListChange", "change", &ListEditor::Change));
  column->addWidget(AddButton("strListDelete", "delete", &ListEditor::Delete));
  if (buttons.moves) {
    column->addWidget(AddButton("strListUp", "up", &ListEditor::Up));
    column->addWidget(AddButton("strListDown", "down", &ListEditor::Down));
  }
  column->addStretch();
  grid->addLayout(column, 0, 1, 2, 1);
  grid->setColumnStretch(2, 1);

  QObject::connect(list_, &QListWidget::currentRowChanged, box_, [this](int row) {
    if (row >= 0) edit_->setText(ToQString(entries_[static_cast<std::size_t>(row)]));
  });
}

QPushButton* ListEditor::AddButton(const char* key, const char* name, void (ListEditor::*action)()) {
  auto* button = new QPushButton(key, box_);
  button->setObjectName(list_->objectName() + "/" + name);
  QObject::connect(button, &QPushButton::clicked, box_, [this, action] { (this->*action)(); });
  return button;
}

void ListEditor::Show(const catalog::FieldValue& value) {
  entries_ = value.items;
  edit_->clear();
  Fill(-1);
}

int ListEditor::Selected() const { return list_->currentRow(); }

void ListEditor::Fill(int selected) {
  const QSignalBlocker quiet(list_);
  list_->clear();
  for (const std::string& entry : entries_) list_->addItem(ToQString(entry));
  list_->setCurrentRow(selected);
}

void ListEditor::Add() {
  const PageApply result = catalog::AddListEntry(*ref().field, entries_, ToStdString(edit_->text()));
  if (!result.ok) return Refuse(result);
  Fill(Selected());
}

void ListEditor::Change() {
  const int selected = Selected();
  if (selected < 0) return;
  const PageApply result = catalog::ChangeListEntry(*ref().field, entries_, static_cast<std::size_t>(selected),
                                                    ToStdString(edit_->text()));
  if (!result.ok) return Refuse(result);
  Fill(selected);
}

void ListEditor::Delete() {
  const int selected = Selected();
  if (selected < 0) return;
  catalog::DeleteListEntry(entries_, static_cast<std::size_t>(selected));
  Fill(-1);
}

void ListEditor::Move(bool up) {
  const int selected = Selected();
  if (selected < 0 || !catalog::MoveListEntry(entries_, static_cast<std::size_t>(selected), up)) return;
  Fill(up ? selected - 1 : selected + 1);
}

void ListEditor::Refuse(const PageApply& refusal) {
  const std::vector<FormatArg> args(refusal.args.begin(), refusal.args.end());
  messages_.Show(refusal.messageKey, "strError", kStyleWarning, std::span<const FormatArg>(args));
  edit_->setFocus(Qt::OtherFocusReason);
  edit_->selectAll();
}

}  // namespace tusko::gui
