#include "support/VirtualClock.h"

#include <algorithm>

namespace tusko::test {

VirtualClock::TimerId VirtualClock::Schedule(std::chrono::milliseconds delay, Callback callback) {
  const TimerId id = nextId_++;
  const auto due = now_ + std::max(delay, std::chrono::milliseconds::zero());
  queue_.emplace(Key{due, id}, std::move(callback));
  due_.emplace(id, due);
  return id;
}

void VirtualClock::Cancel(TimerId id) {
  const auto found = due_.find(id);
  if (found == due_.end()) return;
  queue_.erase(Key{found->second, id});
  due_.erase(found);
}

void VirtualClock::Advance(std::chrono::milliseconds duration) {
  const auto target = now_ + duration;
  while (!queue_.empty() && queue_.begin()->first.first <= target) {
    auto next = queue_.extract(queue_.begin());
    now_ = next.key().first;
    due_.erase(next.key().second);
    next.mapped()();
  }
  now_ = target;
}

}  // namespace tusko::test
