#pragma once

#include <string>

#include <QDialog>

class QLabel;
class QLineEdit;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// Asks for the gateway's login password (up to 8 characters, not shown). OK
// refuses a password the gateway cannot take and says why under the field.
class LoginDialog final : public QDialog {
  Q_OBJECT

 public:
  LoginDialog(const LanguageManager& language, QWidget* parent);
  std::string password() const;
  void accept() override;

 private:
  const LanguageManager& language_;
  QLineEdit* password_;
  QLabel* refusal_;
};

}  // namespace tusko::gui
