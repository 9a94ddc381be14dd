#pragma once

#include <functional>
#include <optional>

#include <QDateTime>
#include <QDialog>

#include "protocol/engine/DeviceClock.h"

class QDateEdit;
class QLabel;
class QPushButton;
class QTimeEdit;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// Shows the gateway's clock and when it was last synchronised, and lets the
// user set it, or take the computer's time with Synchronize. The computer's
// time is shown beside it, a second at a time.
class DateTimeDialog final : public QDialog {
  Q_OBJECT

 public:
  using Clock = std::function<QDateTime()>;

  DateTimeDialog(const LanguageManager& language, DateTimeRecord time, std::optional<LastSyncRecord> lastSync,
                 QWidget* parent, Clock computerTime = [] { return QDateTime::currentDateTime(); });
  // The time to set: date and time of day from the pickers, the day of the
  // week from that date (0 Sunday), the milliseconds as given.
  DateTimeRecord time() const { return time_; }
  // True when the time is the computer's, taken with Synchronize.
  bool synchronized() const { return synchronized_; }

 protected:
  void accept() override;

 private:
  void Synchronize();
  void ShowComputerTime();

  const LanguageManager& language_;
  Clock computerTime_;
  DateTimeRecord time_;
  bool synchronized_ = false;
  QTimeEdit* timeEdit_;
  QDateEdit* dateEdit_;
  QLabel* computerText_ = nullptr;
  QPushButton* set_ = nullptr;
};

}  // namespace tusko::gui
