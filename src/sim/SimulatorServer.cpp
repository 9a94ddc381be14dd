#include "sim/SimulatorServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace tusko::sim {

namespace {

// How often the model's time moves on and paced bytes go out.
constexpr std::chrono::milliseconds kTickPeriod{5};
constexpr std::size_t kReadChunk = 4096;
constexpr int kListenBacklog = 4;

std::string SystemError(std::string_view what) {
  return std::string(what) + ": " + std::strerror(errno);
}

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

SimulatorServer::SimulatorServer(EventLoop& loop, GatewayModel& model, WireFaults faults, unsigned baud, LogLine log)
    : loop_(loop),
      model_(model),
      log_(std::move(log)),
      inbound_(baud),
      outbound_(baud),
      session_(model, faults, [this](std::span<const std::uint8_t> bytes) { outbound_.Push(bytes, Elapsed()); }, log_),
      started_(EventLoop::Clock::now()),
      lastTick_(started_) {
  tickTimer_ = loop_.StartTimer(kTickPeriod, [this] { Tick(); }, true);
}

SimulatorServer::~SimulatorServer() {
  loop_.CancelTimer(tickTimer_);
  loop_.CancelTimer(wakeTimer_);
  if (streamFd_ >= 0) {
    loop_.Unwatch(streamFd_);
    close(streamFd_);
  }
  if (ptySlaveFd_ >= 0) close(ptySlaveFd_);
  CloseListener();
}

bool SimulatorServer::ListenTcp(const std::string& address, std::uint16_t port, std::string& error) {
  address_ = address;
  port_ = port;
  OpenListener();
  if (listenFd_ < 0) {
    error = SystemError("cannot listen on " + address + ":" + std::to_string(port));
    return false;
  }
  return true;
}

void SimulatorServer::OpenListener() {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port_);
  if (inet_pton(AF_INET, address_.c_str(), &addr.sin_addr) != 1) {
    errno = EINVAL;
    return;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, kListenBacklog) != 0) {
    const int saved = errno;
    close(fd);
    errno = saved;
    return;
  }
  socklen_t length = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
  port_ = ntohs(addr.sin_port);
  listenFd_ = fd;
  loop_.WatchReadable(listenFd_, [this] { Accept(); });
  log_("listening on " + address_ + ":" + std::to_string(port_));
}

void SimulatorServer::CloseListener() {
  if (listenFd_ < 0) return;
  loop_.Unwatch(listenFd_);
  close(listenFd_);
  listenFd_ = -1;
}

bool SimulatorServer::OpenPty(std::string& error) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    error = SystemError("cannot open a pseudo-terminal");
    if (master >= 0) close(master);
    return false;
  }
  slavePath_ = ptsname(master);
  ptySlaveFd_ = open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (ptySlaveFd_ >= 0) {
    termios raw{};
    tcgetattr(ptySlaveFd_, &raw);
    cfmakeraw(&raw);
    tcsetattr(ptySlaveFd_, TCSANOW, &raw);
  }
  SetNonBlocking(master);
  isPty_ = true;
  streamFd_ = master;
  loop_.WatchReadable(streamFd_, [this] { ReadStream(); });
  log_("pseudo-terminal " + slavePath_);
  return true;
}

void SimulatorServer::Accept() {
  const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return;
  const int yes = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
  streamFd_ = fd;
  session_.Restart();
  ClearLine();
  // One client at a time: the next waits in the backlog until this one leaves.
  loop_.Unwatch(listenFd_);
  loop_.WatchReadable(streamFd_, [this] { ReadStream(); });
  log_("client connected");
}

void SimulatorServer::ReadStream() {
  std::array<std::uint8_t, kReadChunk> buffer;
  const ssize_t count = read(streamFd_, buffer.data(), buffer.size());
  if (count > 0) {
    inbound_.Push({buffer.data(), static_cast<std::size_t>(count)}, Elapsed());
    Pump();
    return;
  }
  if (count < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (!isPty_) DropClient("client closed the connection");
}

void SimulatorServer::DropClient(std::string_view why) {
  if (streamFd_ < 0 || isPty_) return;
  log_(why);
  loop_.Unwatch(streamFd_);
  close(streamFd_);
  streamFd_ = -1;
  session_.Restart();
  ClearLine();
  if (listenFd_ >= 0) loop_.WatchReadable(listenFd_, [this] { Accept(); });
}

std::chrono::microseconds SimulatorServer::Elapsed() const {
  return std::chrono::duration_cast<std::chrono::microseconds>(EventLoop::Clock::now() - started_);
}

void SimulatorServer::Tick() {
  const auto now = EventLoop::Clock::now();
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - lastTick_);
  lastTick_ += elapsed;
  session_.Advance(elapsed);
  Pump();
  if (session_.CloseRequested()) DropClient("connection dropped by fault injection");
  if (isPty_) return;
  if (!model_.LinkAvailable()) {
    DropClient("gateway restarting: connection gone");
    if (listenFd_ >= 0) log_("gateway restarting: listener closed");
    CloseListener();
  } else if (listenFd_ < 0 && !address_.empty()) {
    OpenListener();
    if (listenFd_ >= 0 && streamFd_ >= 0) loop_.Unwatch(listenFd_);
  }
}

void SimulatorServer::Pump() {
  if (const std::size_t arrived = inbound_.Allowed(Elapsed()); arrived > 0) {
    const std::vector<std::uint8_t> bytes(inbound_.Held().begin(), inbound_.Held().begin() + arrived);
    inbound_.Consume(arrived);
    // A restarting gateway hears nothing; the model drops it as well.
    session_.OnBytes(bytes);
  }
  Flush();
  // Wake when the next held bytes have crossed rather than at the next tick,
  // so a message waits no longer than its bytes take on the line.
  loop_.CancelTimer(wakeTimer_);
  wakeTimer_ = 0;
  const auto now = Elapsed();
  std::optional<std::chrono::microseconds> due;
  for (const LinePacer* pacer : {&inbound_, &outbound_}) {
    if (!pacer->Empty() && pacer->DueAt() > now) due = std::min(due.value_or(pacer->DueAt()), pacer->DueAt());
  }
  if (due) wakeTimer_ = loop_.StartTimer(std::chrono::ceil<std::chrono::milliseconds>(*due - now), [this] { Pump(); });
}

void SimulatorServer::Flush() {
  if (streamFd_ < 0) {
    ClearLine();
    return;
  }
  const std::size_t allowed = outbound_.Allowed(Elapsed());
  if (allowed == 0) return;
  const ssize_t written = isPty_ ? write(streamFd_, outbound_.Held().data(), allowed)
                                 : send(streamFd_, outbound_.Held().data(), allowed, MSG_NOSIGNAL);
  if (written > 0) outbound_.Consume(static_cast<std::size_t>(written));
}

void SimulatorServer::ClearLine() {
  inbound_.Clear();
  outbound_.Clear();
}

}  // namespace tusko::sim
