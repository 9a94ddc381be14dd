// The kernel's termios2 interface lives in headers that clash with the C
// library's <termios.h>, so it has a file of its own.
#include "link/SerialCustomRate.h"

#include <cerrno>

#include <asm/ioctls.h>
#include <asm/termbits.h>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace tusko {

int SetCustomBitRate(int fd, std::uint32_t baudRate) {
  termios2 settings{};
  if (ioctl(fd, TCGETS2, &settings) != 0) return errno;
  settings.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
  settings.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = baudRate;
  settings.c_ospeed = baudRate;
  if (ioctl(fd, TCSETS2, &settings) != 0) return errno;
  return 0;
}

}  // namespace tusko
