#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace tusko::test {

// Time that passes only when a test says so. Callbacks run from Advance, in
// order of due time and then of scheduling, so nothing ever runs re-entrantly
// inside the code that scheduled it.
class VirtualClock {
 public:
  using Callback = std::function<void()>;
  using TimerId = std::uint64_t;

  std::chrono::milliseconds Now() const { return now_; }

  // Runs `callback` when `delay` has passed (a zero delay: at the next Advance).
  TimerId Schedule(std::chrono::milliseconds delay, Callback callback);
  void Cancel(TimerId id);

  // Lets `duration` pass, running every callback that falls due meanwhile,
  // including those scheduled by the callbacks themselves.
  void Advance(std::chrono::milliseconds duration);

 private:
  using Key = std::pair<std::chrono::milliseconds, TimerId>;

  std::chrono::milliseconds now_{0};
  TimerId nextId_ = 1;
  std::map<Key, Callback> queue_;
  std::map<TimerId, std::chrono::milliseconds> due_;
};

}  // namespace tusko::test
