#pragma once

#include <atomic>
#include <functional>

#include <pthread.h>

namespace tusko {

// One of the link's own threads. Starting reports the system's error number
// instead of throwing, so that the link control can log it and report it like
// any other open failure.
class LinkThread {
 public:
  LinkThread() = default;
  ~LinkThread() { Join(); }
  LinkThread(const LinkThread&) = delete;
  LinkThread& operator=(const LinkThread&) = delete;

  // Runs `body` on a new thread; 0, or the system error when none could be started.
  int Start(std::function<void()> body);
  // Started and not yet joined (it may have ended by itself meanwhile).
  bool Exists() const { return started_; }
  // Started and its body not yet returned.
  bool Running() const { return started_ && running_.load(); }
  // Waits without limit for the body to return; nothing when not started.
  void Join();

 private:
  static void* Run(void* self);

  pthread_t thread_{};
  bool started_ = false;
  std::atomic<bool> running_{false};
  std::function<void()> body_;
};

// Lifts the calling thread one step above the process's normal priority where
// the system permits it; a refusal (no privilege to raise it) changes nothing.
void RaiseCurrentThreadPriority();

}  // namespace tusko
