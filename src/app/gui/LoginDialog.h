#pragma once

#include <string>

#include <QDialog>

class QLineEdit;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// Asks for the gateway's login password (up to 8 characters, not shown).
class LoginDialog final : public QDialog {
  Q_OBJECT

 public:
  LoginDialog(const LanguageManager& language, QWidget* parent);
  std::string password() const;

 private:
  QLineEdit* password_;
};

}  // namespace tusko::gui
