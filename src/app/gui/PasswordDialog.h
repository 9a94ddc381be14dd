#pragma once

#include <functional>
#include <string>

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

class MessageService;

// Changes the gateway's password. Stays open while the gateway answers: the
// main window hands it the outcome through Succeeded, Failed and
// CancelFromOwner, and a failure leaves it open for another try.
class PasswordDialog final : public QDialog {
  Q_OBJECT

 public:
  // Starts the change on the gateway; false when nothing was sent.
  using StartChange = std::function<bool(const std::string& newPassword, const std::string& oldPassword)>;

  PasswordDialog(const LanguageManager& language, MessageService& messages, StartChange startChange, QWidget* parent);
  ~PasswordDialog() override { SetBusy(false); }

  bool busy() const { return busy_; }
  std::string newPassword() const { return newPassword_; }

  void Succeeded();
  void Failed(int result, const std::string& causeText);
  // The gateway does not allow the change; the dialog stays open as after a failure.
  void NotAllowed();
  // The gateway restarts: the dialog ends as cancelled.
  void CancelFromOwner();

 protected:
  void accept() override;
  // Refused while the gateway is busy with the change: its outcome must reach
  // the main window, which takes the new password as the login password.
  void reject() override;

 private:
  void SetBusy(bool busy);

  MessageService& messages_;
  StartChange startChange_;
  QLineEdit* old_;
  QLineEdit* new_;
  QLineEdit* confirm_;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  std::string newPassword_;
  bool busy_ = false;
  bool succeeded_ = false;
};

}  // namespace tusko::gui
