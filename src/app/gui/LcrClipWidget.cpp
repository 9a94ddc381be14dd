#include "app/gui/LcrClipWidget.h"

#include <string>
#include <tuple>
#include <variant>

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTreeWidget>
#include <QVBoxLayout>

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
      list_(new QTreeWidget(this)) {
  number_->setObjectName("lcrClip.number");
  FitToField(*number_, {.editor = catalog::Editor::Text, .charset = "0123456789?x",
                        .maxChars = LcrClipPage::kNumberMaxChars},
             context_.language);
  profile_->setObjectName("lcrClip.profile");
  profile_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), profile_));
  profile_->setToolTip(FieldHint({.editor = catalog::Editor::Number, .min = 1, .max = 254}, context_.language));
  FitToChars(*profile_, kProfileChars + 2);
  list_->setObjectName("lcrClip");
  list_->setColumnCount(2);
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setFixedHeight(list_->fontMetrics().lineSpacing() * (kListRows + 2));

  auto* column = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  column->addLayout(grid);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
  form->addRow(new QLabel("strLcrClipTabNumber", this), number_);
  form->addRow(new QLabel("strLcrClipTabProfile", this), profile_);
  grid->addLayout(form, 0, 0);
  grid->addWidget(list_, 1, 0);
  auto* buttons = new QVBoxLayout;
  for (const auto& [key, name, action] : {std::tuple{"strListAdd", "lcrClip/add", &LcrClipWidget::Add},
                                          std::tuple{"strListChange", "lcrClip/change", &LcrClipWidget::Change},
                                          std::tuple{"strListDelete", "lcrClip/delete", &LcrClipWidget::Delete}}) {
    auto* button = new QPushButton(key, this);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, action);
    buttons->addWidget(button);
  }
  buttons->addStretch();
  grid->addLayout(buttons, 0, 1, 2, 1);
  grid->setColumnStretch(2, 1);
  column->addStretch();
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] {
    const LcrClipPage* page = Page();
    const int row = Selected();
    if (page == nullptr || row < 0) return;
    const ClipEntry& entry = page->entries()[static_cast<std::size_t>(row)];
    number_->setText(ToQString(entry.number));
    profile_->setText(QString::number(entry.profile));
  });
  TranslateWindow(*this, context_.language);
  Relabel();
}

LcrClipPage* LcrClipWidget::Page() const { return dynamic_cast<LcrClipPage*>(context_.document.CurrentPage()); }

int LcrClipWidget::Selected() const { return list_->indexOfTopLevelItem(list_->currentItem()); }

void LcrClipWidget::Show(const ConfigurationPage&) {
  number_->clear();
  profile_->clear();
  Fill(-1);
}

void LcrClipWidget::FocusField(std::string_view field) { FocusNamed(*this, field); }

void LcrClipWidget::Relabel() {
  // The two column titles are one text, split at '|'.
  const QStringList titles = ToQString(context_.language.GetString("strLcrClipTabHeader")).split('|');
  list_->setHeaderLabels(titles.mid(0, 2));
}

ClipEntry LcrClipWidget::Typed() const {
  return {ToStdString(number_->text()), profile_->text().isEmpty() ? 0 : profile_->text().toInt()};
}

void LcrClipWidget::Fill(int selected) {
  const LcrClipPage* page = Page();
  const QSignalBlocker quiet(list_);
  list_->clear();
  if (page == nullptr) return;
  for (const ClipEntry& entry : page->entries()) {
    new QTreeWidgetItem(list_, {ToQString(entry.number), QString::number(entry.profile)});
  }
  if (selected >= 0) list_->setCurrentItem(list_->topLevelItem(selected));
}

void LcrClipWidget::Took(const std::variant<std::size_t, PageApply>& result) {
  if (const auto* refusal = std::get_if<PageApply>(&result)) {
    if (!refusal->ok) ShowRefusal(*this, context_.messages, *refusal);
    return;
  }
  Fill(static_cast<int>(std::get<std::size_t>(result)));
}

void LcrClipWidget::Add() {
  if (LcrClipPage* page = Page()) Took(page->Add(Typed()));
}

void LcrClipWidget::Change() {
  LcrClipPage* page = Page();
  const int selected = Selected();
  if (page != nullptr && selected >= 0) Took(page->Change(static_cast<std::size_t>(selected), Typed()));
}

void LcrClipWidget::Delete() {
  LcrClipPage* page = Page();
  const int selected = Selected();
  if (page == nullptr || selected < 0) return;
  const auto index = static_cast<std::size_t>(selected);
  ConfigurationImage& working = context_.document.EditWorkingImage();
  if (const auto profile = page->DeleteNeedsQuestion(index, working)) {
    const int answer = context_.messages.Show("strLcrClipTabDeleteProfile", "strWarning",
                                              kStyleWarningQuestion | kStyleDefaultSecondButton, {*profile});
    if (answer != kResultYes) return;
  }
  page->Delete(index, working);
  Fill(-1);
}

}  // namespace tusko::gui
