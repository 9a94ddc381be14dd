#pragma once

// Outcomes of the transports' system calls, in the same shape on every platform
// so that the link's rules above them never see an OS detail but the error number.

#include <cstddef>

namespace tusko {

enum class WaitStatus {
  Ready,      // the handle can be read (or, while a TCP connect is under way, written)
  Exception,  // the handle reports an error or a hang-up: the peer or the device is gone
  Woken,      // the link's wake event fired: a close or a stop is under way
  TimedOut,
  Failed,     // the wait itself failed; `error` says why
};

struct WaitResult {
  WaitStatus status = WaitStatus::TimedOut;
  int error = 0;  // system error number for Failed
};

enum class IoStatus {
  Done,        // `count` bytes moved (all of them for a serial write)
  WouldBlock,  // nothing can move now, or a serial write was cut short by the wake event
  PeerClosed,  // TCP: the peer closed the connection
  Failed,
};

struct IoResult {
  IoStatus status = IoStatus::Done;
  std::size_t count = 0;
  int error = 0;       // system error number for Failed and WouldBlock
  std::size_t queued = 0;  // serial reads: input bytes the driver held before the read
};

}  // namespace tusko
