#pragma once

#include <chrono>

namespace tusko {

// A manual-reset event that wakes the link's blocking waits: once set, every
// wait that includes it returns at once until it is reset. Set and Reset are
// safe from any thread.
class LinkWakeEvent {
 public:
  LinkWakeEvent();
  ~LinkWakeEvent();
  LinkWakeEvent(const LinkWakeEvent&) = delete;
  LinkWakeEvent& operator=(const LinkWakeEvent&) = delete;

  void Set() const;
  void Reset() const;
  // Waits until the event is set or `timeout` has passed; true when set.
  bool Wait(std::chrono::milliseconds timeout) const;

  // POSIX: a descriptor that polls readable while the event is set.
  int NativeHandle() const { return fd_; }

 private:
  int fd_ = -1;
};

}  // namespace tusko
