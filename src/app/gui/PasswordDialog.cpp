#include "app/gui/PasswordDialog.h"

#include <QApplication>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/MessagePrompts.h"
#include "app/gui/MessageService.h"
#include "app/gui/PasswordEdit.h"
#include "app/gui/UiText.h"
#include "app/session/CommandEnding.h"
#include "app/session/PasswordRule.h"
#include "protocol/engine/EngineTypes.h"

namespace tusko::gui {

namespace {

constexpr const char* kErrorCaption = "strError";

}  // namespace

PasswordDialog::PasswordDialog(const LanguageManager& language, MessageService& messages, StartChange startChange,
                               QWidget* parent)
    : QDialog(parent),
      messages_(messages),
      startChange_(std::move(startChange)),
      old_(NewPasswordEdit("oldPassword")),
      new_(NewPasswordEdit("newPassword")),
      confirm_(NewPasswordEdit("confirmPassword")) {
  setWindowTitle("strPassword");
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(new QLabel("strPasswordOld"), old_);
  form->addRow(new QLabel("strPasswordNew"), new_);
  form->addRow(new QLabel("strPasswordConfirm"), confirm_);
  layout->addLayout(form);
  std::tie(ok_, cancel_) = AddOkCancel(*this, *layout);
  TranslateWindow(*this, language);
  old_->setFocus();
}

void PasswordDialog::accept() {
  if (succeeded_) {
    QDialog::accept();
    return;
  }
  if (new_->text() != confirm_->text()) {
    messages_.Show("strPasswordConfirmFailed", kErrorCaption, kStyleWarning);
    confirm_->clear();
    new_->clear();
    new_->setFocus();
    return;
  }
  // Either password cut or changed on the way would lock the user out.
  for (QLineEdit* field : {old_, new_}) {
    if (const std::string key = PasswordRefusalKey(ToStdString(field->text())); !key.empty()) {
      messages_.Show(key, kErrorCaption, kStyleWarning);
      if (field == new_) confirm_->clear();
      field->clear();
      field->setFocus();
      return;
    }
  }
  newPassword_ = ToStdString(new_->text());
  if (startChange_(newPassword_, ToStdString(old_->text()))) SetBusy(true);
}

void PasswordDialog::reject() {
  if (!busy_) QDialog::reject();
}

void PasswordDialog::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  for (QWidget* control : std::initializer_list<QWidget*>{old_, new_, confirm_, ok_, cancel_}) control->setEnabled(!busy);
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void PasswordDialog::Succeeded() {
  SetBusy(false);
  succeeded_ = true;
  QMetaObject::invokeMethod(this, &PasswordDialog::accept, Qt::QueuedConnection);
}

void PasswordDialog::Failed(int result, const std::string& causeText) {
  SetBusy(false);
  succeeded_ = false;
  if (const auto message = ResultMessage(DeviceCommand::ChangePassword, result, causeText)) {
    MessagePrompts(messages_).Tell(*message);
  }
  if (result == static_cast<int>(OperationResult::OldPasswordWrong)) {
    old_->clear();
    old_->setFocus();
  }
}

void PasswordDialog::NotAllowed() {
  SetBusy(false);
  succeeded_ = false;
  messages_.Show("strErrorNotAllowed", kErrorCaption, kStyleWarning);
}

void PasswordDialog::CancelFromOwner() {
  SetBusy(false);
  QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

}  // namespace tusko::gui
