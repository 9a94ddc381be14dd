#include "app/gui/LoginDialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/PasswordEdit.h"
#include "app/gui/UiText.h"

namespace tusko::gui {

LoginDialog::LoginDialog(const LanguageManager& language, QWidget* parent)
    : QDialog(parent), password_(NewPasswordEdit("password")) {
  setWindowTitle("strLogin");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(new QLabel("strLoginPassword"), password_);
  layout->addLayout(form);
  AddOkCancel(*this, *layout);
  TranslateWindow(*this, language);
  password_->setFocus();
}

std::string LoginDialog::password() const { return ToStdString(password_->text()); }

}  // namespace tusko::gui
