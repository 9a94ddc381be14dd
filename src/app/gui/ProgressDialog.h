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
// transfer. It ends by itself shortly after the bar is full, or when the main
// window closes it because the transfer failed. Calls that come after it has
// ended are ignored.
class ProgressDialog final : public QDialog {
  Q_OBJECT

 public:
  ProgressDialog(const LanguageManager& language, MessageService& messages, ProgressKind kind,
                 std::function<void()> cancelTransfer, QWidget* parent);

  // Shows the wait text instead of the bar.
  void SetWaitMode(bool wait);
  // At 100 the button reads "OK" and the dialog ends by itself a moment later.
  void SetPosition(int percent);
  void CloseAsFailed();
  bool failed() const { return failed_; }

 protected:
  void reject() override;  // Cancel, Esc and the window's close button
  void done(int result) override;

 private:
  // Ends the dialog from the event loop after `delayMs`, once.
  void PostClose(int delayMs);
  bool Closing() const { return closePosted_ || ended_; }

  const LanguageManager& language_;
  MessageService& messages_;
  ProgressKind kind_;
  std::function<void()> cancelTransfer_;
  QProgressBar* bar_;
  QLabel* waitText_;
  QPushButton* cancel_;
  bool failed_ = false;
  bool closePosted_ = false;
  bool ended_ = false;
};

}  // namespace tusko::gui
