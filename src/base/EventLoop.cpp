#include "base/EventLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

namespace tusko {

EventLoop::EventLoop() : wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

EventLoop::~EventLoop() {
  if (wakeFd_ >= 0) close(wakeFd_);
}

void EventLoop::Post(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    posted_.push_back(std::move(task));
  }
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
}

void EventLoop::Quit(int exitCode) {
  Post([this, exitCode] {
    quit_ = true;
    exitCode_ = exitCode;
  });
}

EventLoop::TimerId EventLoop::StartTimer(std::chrono::milliseconds delay, std::function<void()> callback, bool repeat) {
  const TimerId id = nextTimerId_++;
  timers_[id] = Timer{Clock::now() + delay, delay, repeat, std::move(callback)};
  return id;
}

void EventLoop::CancelTimer(TimerId id) { timers_.erase(id); }

void EventLoop::WatchReadable(int fd, std::function<void()> onReadable) { watches_[fd] = std::move(onReadable); }

void EventLoop::Unwatch(int fd) { watches_.erase(fd); }

int EventLoop::Run() {
  quit_ = false;
  while (!quit_) RunOnce(std::chrono::milliseconds(1000));
  return exitCode_;
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  quit_ = false;
  while (!done()) {
    const auto now = Clock::now();
    if (quit_ || now >= deadline) return false;
    RunOnce(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now));
  }
  return true;
}

std::chrono::milliseconds EventLoop::TimeToNextTimer(std::chrono::milliseconds cap) const {
  auto wait = cap;
  const auto now = Clock::now();
  for (const auto& [id, timer] : timers_) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(timer.due - now);
    wait = std::min(wait, std::max(left, std::chrono::milliseconds(0)));
  }
  return wait;
}

void EventLoop::RunOnce(std::chrono::milliseconds maxWait) {
  std::vector<pollfd> fds;
  fds.push_back(pollfd{wakeFd_, POLLIN, 0});
  for (const auto& [fd, callback] : watches_) fds.push_back(pollfd{fd, POLLIN, 0});

  const auto wait = TimeToNextTimer(maxWait);
  const int ready = poll(fds.data(), fds.size(), static_cast<int>(wait.count()));
  if (ready > 0) {
    if (fds[0].revents & POLLIN) {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(wakeFd_, &count, sizeof count);
    }
    for (std::size_t i = 1; i < fds.size(); ++i) {
      if (fds[i].revents == 0) continue;
      // A callback may unwatch descriptors, so look each one up again.
      auto it = watches_.find(fds[i].fd);
      if (it != watches_.end()) {
        auto callback = it->second;
        callback();
      }
    }
  }
  RunPosted();
  RunDueTimers();
}

void EventLoop::RunPosted() {
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> lock(postedMutex_);
    tasks.swap(posted_);
  }
  for (auto& task : tasks) task();
}

void EventLoop::RunDueTimers() {
  const auto now = Clock::now();
  std::vector<TimerId> due;
  for (const auto& [id, timer] : timers_) {
    if (timer.due <= now) due.push_back(id);
  }
  for (TimerId id : due) {
    // Earlier callbacks may have cancelled or replaced this timer.
    auto it = timers_.find(id);
    if (it == timers_.end() || it->second.due > now) continue;
    auto callback = it->second.callback;
    if (it->second.repeat) {
      it->second.due = now + it->second.period;
    } else {
      timers_.erase(it);
    }
    callback();
  }
}

}  // namespace tusko
