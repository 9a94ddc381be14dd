#include "link/TcpSocket.h"

#include <cerrno>
#include <utility>

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/PosixPoll.h"

namespace tusko {

namespace {

std::optional<std::uint32_t> LookUp(const std::string& host, int flags) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::optional<std::uint32_t> address;
  if (found->ai_family == AF_INET && found->ai_addrlen >= sizeof(sockaddr_in)) {
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  }
  ::freeaddrinfo(found);
  return address;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

IoResult TransferResult(ssize_t result, int error) {
  if (result > 0) return {IoStatus::Done, static_cast<std::size_t>(result), 0, 0};
  if (result == 0) return {IoStatus::PeerClosed, 0, 0, 0};
  return {WouldBlock(error) ? IoStatus::WouldBlock : IoStatus::Failed, 0, error, 0};
}

}  // namespace

std::string DottedAddress(std::uint32_t networkOrderAddress) {
  in_addr address{};
  address.s_addr = networkOrderAddress;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return text;
}

std::optional<std::uint32_t> ResolveIpv4(const std::string& host) {
  if (auto numeric = LookUp(host, AI_NUMERICHOST)) return numeric;
  return LookUp(host, 0);
}

TcpSocket::~TcpSocket() { Close(); }

TcpSocket::TcpSocket(TcpSocket&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

bool TcpSocket::IsOpen() const { return fd_ >= 0; }

int TcpSocket::Create() {
  Close();
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
  if (fd_ < 0) return errno;
  // Each chunk goes out when it is sent: held back for the peer's delayed
  // acknowledgement, a frame's last chunk would wait some 40 ms.
  const int yes = 1;
  ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  return 0;
}

ConnectResult TcpSocket::Connect(const Ipv4Endpoint& peer) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(peer.port);
  address.sin_addr.s_addr = peer.address;
  if (::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return {ConnectStatus::Connected, 0};
  }
  if (errno == EINPROGRESS || errno == EINTR) return {ConnectStatus::InProgress, 0};
  return {ConnectStatus::Failed, errno};
}

WaitResult TcpSocket::WaitConnected(std::chrono::milliseconds timeout, const LinkWakeEvent& wake) {
  const PollReport report = PollWithWake(fd_, POLLOUT, timeout, wake);
  if (report.error != 0) return {WaitStatus::Failed, report.error};
  if (report.woken) return {WaitStatus::Woken, 0};
  if (report.revents == 0) return {WaitStatus::TimedOut, 0};
  int pending = 0;
  socklen_t length = sizeof pending;
  if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &pending, &length) != 0) pending = errno;
  const bool failed = pending != 0 || (report.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
  return {failed ? WaitStatus::Exception : WaitStatus::Ready, pending};
}

WaitResult TcpSocket::WaitReadable(std::chrono::milliseconds timeout, const LinkWakeEvent& wake) {
  const PollReport report = PollWithWake(fd_, POLLIN, timeout, wake);
  if (report.error != 0) return {WaitStatus::Failed, report.error};
  if (report.woken) return {WaitStatus::Woken, 0};
  // A hang-up is read as the peer's close by the receive that follows.
  if ((report.revents & (POLLIN | POLLHUP)) != 0) return {WaitStatus::Ready, 0};
  if ((report.revents & (POLLERR | POLLNVAL)) != 0) return {WaitStatus::Exception, 0};
  return {WaitStatus::TimedOut, 0};
}

IoResult TcpSocket::Send(std::span<const std::uint8_t> bytes) {
  if (bytes.empty()) return {};
  const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  return TransferResult(sent, errno);
}

IoResult TcpSocket::Receive(std::span<std::uint8_t> buffer) {
  if (buffer.empty()) return {};
  const ssize_t received = ::recv(fd_, buffer.data(), buffer.size(), 0);
  return TransferResult(received, errno);
}

void TcpSocket::Shutdown() { ::shutdown(fd_, SHUT_RDWR); }

void TcpSocket::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace tusko
