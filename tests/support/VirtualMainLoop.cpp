#include "support/VirtualMainLoop.h"

#include <algorithm>
#include <utility>

namespace tusko::test {

VirtualMainLoop::~VirtualMainLoop() {
  for (const auto& [id, timer] : timers_) clock_.Cancel(timer.scheduled);
}

void VirtualMainLoop::Post(std::function<void()> task) {
  std::lock_guard lock(postedMutex_);
  posted_.push_back(std::move(task));
}

MainLoop::TimerId VirtualMainLoop::StartTimer(std::chrono::milliseconds delay, std::function<void()> callback,
                                              bool repeat) {
  const TimerId id = nextId_++;
  timers_[id] = Timer{delay, repeat, std::move(callback), 0};
  Arm(id, delay);
  return id;
}

void VirtualMainLoop::Arm(TimerId id, std::chrono::milliseconds delay) {
  timers_.at(id).scheduled = clock_.Schedule(delay, [this, id] {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return;
    // A one-shot timer is gone before its callback runs, which may arm a new one.
    const std::function<void()> callback = found->second.callback;
    if (found->second.repeat) {
      // A zero period would keep the clock from passing.
      Arm(id, std::max(found->second.period, kStep));
    } else {
      timers_.erase(found);
    }
    callback();
  });
}

void VirtualMainLoop::CancelTimer(TimerId id) {
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  clock_.Cancel(found->second.scheduled);
  timers_.erase(found);
}

bool VirtualMainLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = clock_.Now() + limit;
  RunPosted();
  while (!done()) {
    if (clock_.Now() >= end) return false;
    clock_.Advance(kStep);
    RunPosted();
  }
  return true;
}

void VirtualMainLoop::RunPosted() {
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard lock(postedMutex_);
    tasks.swap(posted_);
  }
  for (auto& task : tasks) task();
}

}  // namespace tusko::test
