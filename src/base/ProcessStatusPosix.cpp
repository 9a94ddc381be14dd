#include "base/ProcessStatus.h"

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace tusko {

long CurrentProcessId() { return static_cast<long>(::getpid()); }

bool IsProcessRunning(long processId) {
  // 0 and negative ids name process groups, not a process.
  if (processId <= 0 || processId > std::numeric_limits<pid_t>::max()) return false;
  // Signal 0 only checks; EPERM means it exists but belongs to someone else.
  return ::kill(static_cast<pid_t>(processId), 0) == 0 || errno == EPERM;
}

}  // namespace tusko
