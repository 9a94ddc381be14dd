#pragma once

#include <chrono>
#include <functional>

#include <QDialog>
#include <QTimer>

namespace tusko::gui {

// How often the wait looks whether the connect has settled.
inline constexpr std::chrono::milliseconds kConnectWaitPollMs{1000};

// An invisible modal wait that holds the window while a TCP connect is under
// way: it ends with kSettled once `settled` holds, looked at every `period`
// from the moment it is shown, and with 0 when the user presses Esc. The wait
// cursor shows meanwhile.
class ConnectWaitDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kSettled = 1;

  ConnectWaitDialog(std::function<bool()> settled, QWidget* parent,
                    std::chrono::milliseconds period = kConnectWaitPollMs);
  ~ConnectWaitDialog() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::function<bool()> settled_;
  std::chrono::milliseconds period_;
  QTimer look_;
};

}  // namespace tusko::gui
