#pragma once

// POSIX only: the one wait under the serial line and the TCP socket.

#include <chrono>

#include "link/LinkWakeEvent.h"

namespace tusko {

struct PollReport {
  short revents = 0;   // of the polled descriptor; 0 when the wait timed out or was woken
  bool woken = false;  // the wake event fired (it wins over the descriptor)
  int error = 0;       // poll() failed with this error
};

// Waits for `events` on `fd` or for the wake event; a negative time-out waits
// without limit. An interrupted wait reports a time-out.
PollReport PollWithWake(int fd, short events, std::chrono::milliseconds timeout, const LinkWakeEvent& wake);

}  // namespace tusko
