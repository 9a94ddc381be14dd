#pragma once

#include <map>
#include <memory>

#include <QObject>

#include "base/MainLoop.h"

class QSocketNotifier;
class QTimer;

namespace tusko::gui {

// The link host's loop on Qt's event loop: posts become queued calls, timers
// QTimers, descriptor watches QSocketNotifiers, and a nested run a local
// QEventLoop, so windows keep painting while the host waits for the link.
class QtMainLoop final : public QObject, public MainLoop {
  Q_OBJECT

 public:
  QtMainLoop();
  ~QtMainLoop() override;

  void Post(std::function<void()> task) override;
  TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> callback, bool repeat = false) override;
  void CancelTimer(TimerId id) override;
  void WatchReadable(int fd, std::function<void()> onReadable) override;
  void Unwatch(int fd) override;
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) override;

 private:
  TimerId nextTimerId_ = 1;
  std::map<TimerId, std::unique_ptr<QTimer>> timers_;
  std::map<int, std::unique_ptr<QSocketNotifier>> watches_;
};

}  // namespace tusko::gui
