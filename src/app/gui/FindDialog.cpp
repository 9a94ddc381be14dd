#include "app/gui/FindDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/UiText.h"

namespace tusko::gui {

namespace {

constexpr int kMaxFindTextChars = 128;

}  // namespace

FindDialog::FindDialog(const LanguageManager& language, const QString& text, bool matchCase, bool wholeWord,
                       QWidget* parent)
    : QDialog(parent),
      text_(new QLineEdit(text)),
      matchCase_(new QCheckBox("strFindMatchCase")),
      wholeWord_(new QCheckBox("strFindWholeWord")) {
  setWindowTitle("strFind");
  setModal(false);
  text_->setObjectName("findText");
  text_->setMaxLength(kMaxFindTextChars);
  matchCase_->setObjectName("matchCase");
  matchCase_->setChecked(matchCase);
  wholeWord_->setObjectName("wholeWord");
  wholeWord_->setChecked(wholeWord);
  auto* next = new QPushButton("strFindNext", this);
  next->setObjectName("findNextButton");
  next->setDefault(true);
  auto* cancel = new QPushButton("strCancel", this);
  cancel->setObjectName("cancelButton");
  // Enter finds, whatever has the focus; only Escape or a click cancels.
  cancel->setAutoDefault(false);

  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(new QLabel("strFindWhat"), text_);
  layout->addLayout(form);
  layout->addWidget(matchCase_);
  layout->addWidget(wholeWord_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(next);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  // As in the system's find dialog, there is nothing to find without a text.
  next->setEnabled(!text_->text().isEmpty());
  connect(text_, &QLineEdit::textChanged, next, [next](const QString& now) { next->setEnabled(!now.isEmpty()); });
  connect(next, &QPushButton::clicked, this,
          [this] { emit findNext(text_->text(), matchCase_->isChecked(), wholeWord_->isChecked()); });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  TranslateWindow(*this, language);
  // The user types the text at once.
  text_->selectAll();
  setFocusProxy(text_);
  text_->setFocus();
}

void FindDialog::done(int result) {
  emit closing();
  QDialog::done(result);
}

}  // namespace tusko::gui
