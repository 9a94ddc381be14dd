#pragma once

#include <optional>

#include <QDialog>

#include "protocol/engine/DeviceClock.h"

class QDateEdit;
class QPushButton;
class QTimeEdit;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// Shows the gateway's clock and when it was last synchronised, and lets the
// user set it, or take the computer's time with Synchronize.
class DateTimeDialog final : public QDialog {
  Q_OBJECT

 public:
  DateTimeDialog(const LanguageManager& language, DateTimeRecord time, std::optional<LastSyncRecord> lastSync,
                 QWidget* parent);
  // The time to set: date and time of day from the pickers, the day of the
  // week from that date (0 Sunday), the milliseconds as given.
  DateTimeRecord time() const { return time_; }

 protected:
  void accept() override;

 private:
  void Synchronize();

  DateTimeRecord time_;
  QTimeEdit* timeEdit_;
  QDateEdit* dateEdit_;
  QPushButton* set_ = nullptr;
};

}  // namespace tusko::gui
