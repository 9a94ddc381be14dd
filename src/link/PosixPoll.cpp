#include "link/PosixPoll.h"

#include <cerrno>

#include <poll.h>

namespace tusko {

PollReport PollWithWake(int fd, short events, std::chrono::milliseconds timeout, const LinkWakeEvent& wake) {
  pollfd fds[2] = {{fd, events, 0}, {wake.NativeHandle(), POLLIN, 0}};
  const int result = ::poll(fds, 2, static_cast<int>(timeout.count()));
  PollReport report;
  if (result < 0) {
    if (errno != EINTR) report.error = errno;
    return report;
  }
  if ((fds[1].revents & POLLIN) != 0) {
    report.woken = true;
    return report;
  }
  report.revents = fds[0].revents;
  return report;
}

}  // namespace tusko
