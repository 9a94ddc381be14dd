#include "link/LinkWakeEvent.h"

#include <cerrno>
#include <cstdint>

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tusko {

// Without an eventfd (the system refused one) the waits still end by their
// time-outs, only later.
LinkWakeEvent::LinkWakeEvent() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

LinkWakeEvent::~LinkWakeEvent() {
  if (fd_ >= 0) ::close(fd_);
}

void LinkWakeEvent::Set() const {
  const std::uint64_t one = 1;
  // A full counter (EAGAIN) is still set; nothing else can fail here.
  [[maybe_unused]] const ssize_t written = ::write(fd_, &one, sizeof one);
}

void LinkWakeEvent::Reset() const {
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t read = ::read(fd_, &count, sizeof count);
}

bool LinkWakeEvent::Wait(std::chrono::milliseconds timeout) const {
  pollfd wake{fd_, POLLIN, 0};
  const int result = ::poll(&wake, 1, static_cast<int>(timeout.count()));
  return result > 0 && (wake.revents & POLLIN) != 0;
}

}  // namespace tusko
