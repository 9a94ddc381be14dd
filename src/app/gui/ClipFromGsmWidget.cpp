#include "app/gui/ClipFromGsmWidget.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/gui/EntryList.h"
#include "app/gui/FieldEditor.h"
#include "app/gui/UiText.h"
#include "config/ConfigurationDocument.h"

namespace tusko::gui {
namespace {

constexpr int kListRows = 16;

}  // namespace

ClipFromGsmWidget::ClipFromGsmWidget(const PageContext& context, QWidget* parent)
    : PageWidget(parent),
      context_(context),
      number_(new QLineEdit(this)),
      list_(new EntryList("clipFromGsm", kListRows, static_cast<int>(ClipFromGsmPage::kNumberMaxChars) + 2, this)) {
  number_->setObjectName("clipFromGsm.number");
  FitToField(*number_, {.editor = catalog::Editor::Text, .charset = "0123456789x",
                        .maxChars = ClipFromGsmPage::kNumberMaxChars},
             context_.language);
  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(new QLabel("strClipFromGsmNumbers", this), number_);
  column->addLayout(form);
  column->addWidget(list_);
  column->addStretch();
  connect(list_, &EntryList::addClicked, this, &ClipFromGsmWidget::Add);
  connect(list_, &EntryList::changeClicked, this, &ClipFromGsmWidget::Change);
  connect(list_, &EntryList::deleteClicked, this, &ClipFromGsmWidget::Delete);
  connect(list_, &EntryList::rowSelected, this, [this](std::size_t row) {
    if (const ClipFromGsmPage* page = Page()) number_->setText(ToQString(page->numbers()[row]));
  });
  TranslateWindow(*this, context_.language);
}

ClipFromGsmPage* ClipFromGsmWidget::Page() const {
  return dynamic_cast<ClipFromGsmPage*>(context_.document.CurrentPage());
}

void ClipFromGsmWidget::Show(const ConfigurationPage&) { Fill(-1); }

void ClipFromGsmWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void ClipFromGsmWidget::Fill(int selected) {
  std::vector<QStringList> rows;
  if (const ClipFromGsmPage* page = Page()) {
    for (const std::string& number : page->numbers()) rows.push_back({ToQString(number)});
  }
  list_->Fill(rows, selected);
}

void ClipFromGsmWidget::Took(const std::variant<std::size_t, PageApply>& result) {
  if (const auto row = TakenRow(*this, context_.messages, result)) Fill(*row);
  number_->setFocus(Qt::OtherFocusReason);
  number_->selectAll();
}

void ClipFromGsmWidget::Add() {
  if (ClipFromGsmPage* page = Page()) Took(page->Add(ToStdString(number_->text())));
}

void ClipFromGsmWidget::Change(std::size_t row) {
  if (ClipFromGsmPage* page = Page()) Took(page->Change(row, ToStdString(number_->text())));
}

void ClipFromGsmWidget::Delete(std::size_t row) {
  if (ClipFromGsmPage* page = Page()) page->Delete(row);
  Fill(-1);
}

}  // namespace tusko::gui
