#pragma once

#include <cstdint>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tusko::test {

// A TCP socket bound to 127.0.0.1 at an ephemeral port; `port` is 0 when none could be bound.
inline int BindLoopbackSocket(std::uint16_t& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  return fd;
}

// A loopback port that is bound but never listens, so that connects to it are
// refused; the port stays taken (and refusing) while the object lives.
class RefusingPort {
 public:
  RefusingPort() : fd_(BindLoopbackSocket(port_)) {}
  ~RefusingPort() {
    if (fd_ >= 0) ::close(fd_);
  }
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;

  // 0 when no port could be bound.
  std::uint16_t port() const { return port_; }

 private:
  std::uint16_t port_ = 0;
  int fd_ = -1;
};

}  // namespace tusko::test
