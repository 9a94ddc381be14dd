#pragma once

#include <chrono>

#include <QTimer>

namespace tusko::gui::bench {

// Measures how long the event loop goes without serving a timer: a 1 ms
// probe notes the gaps between its ticks. A window that never stalls keeps the
// worst gap near the probe's period; a long append shows as a long gap.
class EventLoopLatency {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kProbePeriod{1};

  EventLoopLatency() {
    probe_.setTimerType(Qt::PreciseTimer);
    probe_.setInterval(kProbePeriod);
    QObject::connect(&probe_, &QTimer::timeout, [this] { Tick(); });
  }
  void Start() {
    worst_ = {};
    last_ = Clock::now();
    probe_.start();
  }
  void Stop() { probe_.stop(); }
  // The longest wait beyond the probe's period, in milliseconds.
  double WorstMs() const { return std::chrono::duration<double, std::milli>(worst_).count(); }

 private:
  void Tick() {
    const auto now = Clock::now();
    const auto late = now - last_ - kProbePeriod;
    if (late > worst_) worst_ = late;
    last_ = now;
  }

  QTimer probe_;
  Clock::time_point last_{};
  Clock::duration worst_{};
};

}  // namespace tusko::gui::bench
