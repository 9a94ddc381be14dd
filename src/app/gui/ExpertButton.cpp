#include "app/gui/ExpertButton.h"

#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/UiText.h"

namespace tusko::gui {

ExpertButton::ExpertButton(const catalog::FieldRef& ref, const EditorContext& context, QWidget* parent)
    : FieldEditor(ref), context_(context), button_(new QPushButton("strIsdnLinkExpert", parent)) {
  button_->setObjectName(ToQString(ref.Id()));
  button_->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
  QObject::connect(button_, &QPushButton::clicked, button_, [this] { OpenDialog(); });
}

QWidget* ExpertButton::widget() const { return button_; }

void ExpertButton::OpenDialog() {
  QDialog dialog(button_->window());
  dialog.setObjectName("expertDialog");
  dialog.setWindowTitle("strIsdnLinkExpert");
  auto* column = new QVBoxLayout(&dialog);
  auto* form = new QFormLayout;
  const std::unique_ptr<FieldEditor> editor = MakeFieldEditor(ref(), context_, &dialog);
  form->addRow(new QLabel(ToQString(ref().field->labelKey), &dialog), editor->widget());
  column->addLayout(form);
  AddOkCancel(dialog, *column);
  TranslateWindow(dialog, context_.language);
  editor->Show(value_);
  if (dialog.exec() == QDialog::Accepted) editor->Read(value_);
}

}  // namespace tusko::gui
