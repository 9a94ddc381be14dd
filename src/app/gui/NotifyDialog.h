#pragma once

#include <string>

#include <QDialog>

class QLabel;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// The notice shown while the gateway restarts: a bold text and a wait line,
// no buttons. It ends only when the main window closes it.
class NotifyDialog final : public QDialog {
  Q_OBJECT

 public:
  NotifyDialog(const LanguageManager& language, std::string textKey, QWidget* parent);
  ~NotifyDialog() override;

  void SetTextKey(std::string textKey);
  // Ends the dialog from the event loop; nothing once it has ended.
  void Close();

 protected:
  void reject() override {}  // Esc does not end it

 private:
  const LanguageManager& language_;
  QLabel* text_;
};

}  // namespace tusko::gui
