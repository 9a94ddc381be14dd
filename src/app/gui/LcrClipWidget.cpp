#include "app/gui/LcrClipWidget.h"

#include <string>
#include <vector>

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "app/gui/EntryList.h"
#include "app/gui/FieldEditor.h"
#include "app/gui/MessageService.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "config/ConfigurationDocument.h"

namespace tusko::gui {
namespace {

constexpr int kProfileChars = 3;
constexpr int kListRows = 16;

}  // namespace

LcrClipWidget::LcrClipWidget(const PageContext& context, QWidget* parent)
    : PageWidget(parent),
      context_(context),
      number_(new QLineEdit(this)),
      profile_(new QLineEdit(this)),
      list_(new EntryList("lcrClip", kListRows, 0, this)) {
  number_->setObjectName("lcrClip.number");
  FitToField(*number_, {.editor = catalog::Editor::Text, .charset = "0123456789?x",
                        .maxChars = LcrClipPage::kNumberMaxChars},
             context_.language);
  profile_->setObjectName("lcrClip.profile");
  profile_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), profile_));
  profile_->setToolTip(FieldHint({.editor = catalog::Editor::Number, .min = 1, .max = 254}, context_.language));
  FitToChars(*profile_, kProfileChars + 2);

  auto* column = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(new QLabel("strLcrClipTabNumber", this), number_);
  form->addRow(new QLabel("strLcrClipTabProfile", this), profile_);
  column->addLayout(form);
  column->addWidget(list_);
  column->addStretch();
  connect(list_, &EntryList::addClicked, this, &LcrClipWidget::Add);
  connect(list_, &EntryList::changeClicked, this, &LcrClipWidget::Change);
  connect(list_, &EntryList::deleteClicked, this, &LcrClipWidget::Delete);
  connect(list_, &EntryList::rowSelected, this, [this](std::size_t row) {
    const LcrClipPage* page = Page();
    if (page == nullptr) return;
    const ClipEntry& entry = page->entries()[row];
    number_->setText(ToQString(entry.number));
    profile_->setText(QString::number(entry.profile));
  });
  TranslateWindow(*this, context_.language);
  Relabel();
}

LcrClipPage* LcrClipWidget::Page() const { return dynamic_cast<LcrClipPage*>(context_.document.CurrentPage()); }

void LcrClipWidget::Show(const ConfigurationPage&) {
  number_->clear();
  profile_->clear();
  Fill(-1);
}

void LcrClipWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void LcrClipWidget::Relabel() {
  // The two column titles are one text, split at '|'.
  list_->SetTitles(ToQString(context_.language.GetString("strLcrClipTabHeader")).split('|').mid(0, 2));
}

ClipEntry LcrClipWidget::Typed() const {
  return {ToStdString(number_->text()), profile_->text().isEmpty() ? 0 : profile_->text().toInt()};
}

void LcrClipWidget::Fill(int selected) {
  std::vector<QStringList> rows;
  if (const LcrClipPage* page = Page()) {
    for (const ClipEntry& entry : page->entries()) rows.push_back({ToQString(entry.number), QString::number(entry.profile)});
  }
  list_->Fill(rows, selected);
}

void LcrClipWidget::Add() {
  LcrClipPage* page = Page();
  if (page == nullptr) return;
  if (const auto row = TakenRow(*this, context_.messages, page->Add(Typed()))) Fill(*row);
}

void LcrClipWidget::Change(std::size_t row) {
  LcrClipPage* page = Page();
  if (page == nullptr) return;
  if (const auto taken = TakenRow(*this, context_.messages, page->Change(row, Typed()))) Fill(*taken);
}

void LcrClipWidget::Delete(std::size_t row) {
  LcrClipPage* page = Page();
  if (page == nullptr) return;
  ConfigurationImage& working = context_.document.EditWorkingImage();
  if (const auto profile = page->DeleteNeedsQuestion(row, working)) {
    const int answer = context_.messages.Show("strLcrClipTabDeleteProfile", "strWarning",
                                              kStyleWarningQuestion | kStyleDefaultSecondButton, {*profile});
    if (answer != kResultYes) return;
  }
  page->Delete(row, working);
  Fill(-1);
}

}  // namespace tusko::gui
