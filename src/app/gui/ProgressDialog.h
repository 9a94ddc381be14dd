#pragma once

#include <functional>

#include <QDialog>

#include "app/gui/ProgressKind.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

class MessageService;

// The modal dialog of a long transfer: a bar in percent, or a wait text for
// the CDR download, and Cancel, which asks first and then cancels the
// transfer. It ends by itself shortly after the bar is full.
class ProgressDialog final : public QDialog {
  Q_OBJECT

 public:
  ProgressDialog(const LanguageManager& language, MessageService& messages, ProgressKind kind,
                 std::function<void()> cancelTransfer, QWidget* parent);

  void SetWaitMode(bool wait);
  void SetPosition(int percent);
  void CloseAsFailed();
  bool failed() const { return failed_; }

 protected:
  void reject() override;  // Cancel and Esc

 private:
  const LanguageManager& language_;
  MessageService& messages_;
  ProgressKind kind_;
  std::function<void()> cancelTransfer_;
  QProgressBar* bar_;
  QLabel* waitText_;
  QPushButton* cancel_;
  bool failed_ = false;
  bool ending_ = false;
};

}  // namespace tusko::gui
