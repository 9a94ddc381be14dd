#include "link/LinkThread.h"

#include <cerrno>
#include <utility>

#include <sys/resource.h>

namespace tusko {

namespace {

// One nice step: the counterpart of "above normal" among the normal threads.
constexpr int kAboveNormalNiceStep = 1;

}  // namespace

int LinkThread::Start(std::function<void()> body) {
  if (started_) return 0;
  body_ = std::move(body);
  running_.store(true);
  const int error = pthread_create(&thread_, nullptr, &LinkThread::Run, this);
  if (error != 0) {
    running_.store(false);
    body_ = nullptr;
    return error;
  }
  started_ = true;
  return 0;
}

void* LinkThread::Run(void* self) {
  auto* thread = static_cast<LinkThread*>(self);
  thread->body_();
  thread->running_.store(false);
  return nullptr;
}

void LinkThread::Join() {
  if (!started_) return;
  pthread_join(thread_, nullptr);
  started_ = false;
  body_ = nullptr;
}

void RaiseCurrentThreadPriority() {
  // On Linux the nice value belongs to each thread, and "who" 0 names the caller.
  errno = 0;
  const int current = getpriority(PRIO_PROCESS, 0);
  if (current == -1 && errno != 0) return;
  [[maybe_unused]] const int refused = setpriority(PRIO_PROCESS, 0, current - kAboveNormalNiceStep);
}

}  // namespace tusko
