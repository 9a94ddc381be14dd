#include "app/gui/LoginDialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/PasswordEdit.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "app/session/PasswordRule.h"

namespace tusko::gui {

LoginDialog::LoginDialog(const LanguageManager& language, QWidget* parent)
    : QDialog(parent), language_(language), password_(NewPasswordEdit("password")), refusal_(new QLabel) {
  setWindowTitle("strLogin");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(new QLabel("strLoginPassword"), password_);
  layout->addLayout(form);
  refusal_->setObjectName("passwordRefused");
  refusal_->setWordWrap(true);
  refusal_->hide();
  layout->addWidget(refusal_);
  AddOkCancel(*this, *layout);
  TranslateWindow(*this, language);
  password_->setFocus();
}

std::string LoginDialog::password() const { return ToStdString(password_->text()); }

void LoginDialog::accept() {
  if (const std::string key = PasswordRefusalKey(password()); !key.empty()) {
    refusal_->setText(ToQString(language_.GetString(key)));
    refusal_->show();
    password_->selectAll();
    password_->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace tusko::gui
