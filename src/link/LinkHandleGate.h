#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <type_traits>

#include "link/LinkWakeEvent.h"

namespace tusko {

// Shares one OS handle (a serial port or a socket) between the main, reader and
// writer threads without holding a lock across a blocking call. Each call on the
// handle runs as a "use" with the owner's lock released; a close first wakes
// every wait on the handle, then waits until the last use has ended. A handle is
// therefore never closed, nor its number reused, while another thread may still
// be inside a call on it.
//
// Every member but Wake() is called with the owner's mutex held through `lock`.
// A thread inside a use must not begin a close.
class LinkHandleGate {
 public:
  const LinkWakeEvent& Wake() const { return wake_; }

  // Runs `call` as one use of the handle, with `lock` released meanwhile.
  // Empty when a close is under way, before or after the call: the handle is
  // going, whatever the call reported.
  template <typename Call>
  std::optional<std::invoke_result_t<Call>> RunAsUse(std::unique_lock<std::mutex>& lock, Call call);

  // Waits while another thread closes the handle.
  void WaitWhileClosing(std::unique_lock<std::mutex>& lock);
  // Starts a close: wakes every wait, then waits for the last use to end. False,
  // after that close has ended, when another thread was already closing.
  bool BeginClose(std::unique_lock<std::mutex>& lock);
  void EndClose();

  // Makes every wait return at once until ResumeWaits: the reader's way out.
  void StopWaits();
  void ResumeWaits();

 private:
  void Enter() { ++users_; }
  void Leave();

  LinkWakeEvent wake_;
  std::condition_variable changed_;
  int users_ = 0;
  bool closing_ = false;
  bool waitsStopped_ = false;
};

template <typename Call>
std::optional<std::invoke_result_t<Call>> LinkHandleGate::RunAsUse(std::unique_lock<std::mutex>& lock, Call call) {
  if (closing_) return std::nullopt;
  Enter();
  lock.unlock();
  auto result = call();
  lock.lock();
  Leave();
  if (closing_) return std::nullopt;
  return result;
}

}  // namespace tusko
