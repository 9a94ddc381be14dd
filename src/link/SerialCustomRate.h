#pragma once

#include <cstdint>

namespace tusko {

// Sets a bit rate that the termios speed table does not name (14400, 128000,
// 256000...) on the open terminal `fd`, as the driver's own rate. Returns 0, or
// the system error with which the driver refused it.
int SetCustomBitRate(int fd, std::uint32_t baudRate);

}  // namespace tusko
