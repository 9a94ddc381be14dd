#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "base/MainLoop.h"

namespace tusko {

// The main thread's loop for the command line and the simulator: timers,
// readable descriptors and closures posted from other threads, on poll().
// Everything but Post and Quit must be called on the loop's own thread.
class EventLoop final : public MainLoop {
 public:
  using Clock = std::chrono::steady_clock;

  EventLoop();
  ~EventLoop() override;
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  // Thread-safe: runs `task` on the loop's thread, in posting order.
  void Post(std::function<void()> task) override;
  // Thread-safe: makes Run return `exitCode` after the current callback.
  void Quit(int exitCode = 0);

  TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> callback, bool repeat = false) override;
  void CancelTimer(TimerId id) override;

  void WatchReadable(int fd, std::function<void()> onReadable) override;
  void Unwatch(int fd) override;

  // Runs until Quit; returns its exit code.
  int Run();
  // Runs until `done` holds or `limit` has passed; returns whether `done` held.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) override;

 private:
  struct Timer {
    Clock::time_point due;
    std::chrono::milliseconds period;
    bool repeat;
    std::function<void()> callback;
  };

  void RunOnce(std::chrono::milliseconds maxWait);
  void RunDueTimers();
  void RunPosted();
  std::chrono::milliseconds TimeToNextTimer(std::chrono::milliseconds cap) const;

  int wakeFd_ = -1;
  std::mutex postedMutex_;
  std::vector<std::function<void()>> posted_;
  bool quit_ = false;
  int exitCode_ = 0;
  TimerId nextTimerId_ = 1;
  std::map<TimerId, Timer> timers_;
  std::map<int, std::function<void()>> watches_;
};

}  // namespace tusko
