#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace tusko {

// The main thread's loop as the link's host needs it: closures posted from
// other threads, timers, readable descriptors and a bounded nested run. The
// command line and the simulator use the core's poll-based EventLoop; the
// desktop program puts the same calls on Qt's event loop.
class MainLoop {
 public:
  using TimerId = std::uint64_t;

  virtual ~MainLoop() = default;

  // Thread-safe: runs `task` on the loop's thread, in posting order.
  virtual void Post(std::function<void()> task) = 0;

  virtual TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> callback, bool repeat = false) = 0;
  virtual void CancelTimer(TimerId id) = 0;

  virtual void WatchReadable(int fd, std::function<void()> onReadable) = 0;
  virtual void Unwatch(int fd) = 0;

  // Runs the loop until `done` holds or `limit` has passed; returns whether `done` held.
  virtual bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) = 0;
};

}  // namespace tusko
