#include "app/gui/PasswordEdit.h"

#include <QLineEdit>

namespace tusko::gui {

QLineEdit* NewPasswordEdit(const char* objectName) {
  auto* edit = new QLineEdit;
  edit->setObjectName(objectName);
  edit->setEchoMode(QLineEdit::Password);
  edit->setMaxLength(kMaxPasswordChars);
  return edit;
}

}  // namespace tusko::gui
