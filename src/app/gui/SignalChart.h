#pragma once

#include <deque>

#include <QWidget>

#include "app/gui/SignalHistory.h"

namespace tusko::gui {

// A small chart of one GSM module's signal over the session: level in dBm
// upwards, time to the right, a gap where the module reported no signal.
class SignalChart final : public QWidget {
  Q_OBJECT

 public:
  explicit SignalChart(QWidget* parent = nullptr);

  // The readings to draw; they stay the caller's and must outlive the chart.
  void SetReadings(const std::deque<SignalReading>& readings);
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const std::deque<SignalReading>* readings_ = nullptr;
};

}  // namespace tusko::gui
