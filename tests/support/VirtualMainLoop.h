#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "base/MainLoop.h"
#include "support/VirtualClock.h"

namespace tusko::test {

// The main loop on virtual time: timers run on the clock, and a nested run
// lets the clock pass in small steps, so a wait of seconds costs none. Posts
// may come from the link's threads; descriptor watches are not offered.
class VirtualMainLoop final : public MainLoop {
 public:
  // How much virtual time one step of a nested run lets pass.
  static constexpr std::chrono::milliseconds kStep{1};

  explicit VirtualMainLoop(VirtualClock& clock) : clock_(clock) {}
  ~VirtualMainLoop() override;

  void Post(std::function<void()> task) override;
  TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> callback, bool repeat = false) override;
  void CancelTimer(TimerId id) override;
  void WatchReadable(int, std::function<void()>) override {}
  void Unwatch(int) override {}
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) override;

 private:
  void RunPosted();
  void Arm(TimerId id, std::chrono::milliseconds delay);

  struct Timer {
    std::chrono::milliseconds period;
    bool repeat;
    std::function<void()> callback;
    VirtualClock::TimerId scheduled;
  };

  VirtualClock& clock_;
  TimerId nextId_ = 1;
  std::map<TimerId, Timer> timers_;
  std::mutex postedMutex_;
  std::vector<std::function<void()>> posted_;
};

}  // namespace tusko::test
