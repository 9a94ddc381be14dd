#include "link/SerialLine.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "link/PosixPoll.h"
#include "link/SerialCustomRate.h"

namespace tusko {

namespace {

// A write waits for room in the driver's queue without a time-out; a close
// ends the wait through the wake event.
constexpr std::chrono::milliseconds kWaitWithoutLimit{-1};

struct BaudSpeed {
  std::uint32_t baud;
  speed_t speed;
};

constexpr BaudSpeed kBaudSpeeds[] = {
    {50, B50},          {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},        {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},      {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},  {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

std::optional<speed_t> SpeedOf(std::uint32_t baud) {
  for (const BaudSpeed& entry : kBaudSpeeds) {
    if (entry.baud == baud) return entry.speed;
  }
  return std::nullopt;
}

// The system errors of open() by what they mean for the user: no such port;
// the port is held by another program or we may not use it; anything else.
PortOpenResult ClassifyOpenError(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return PortOpenResult::NotFound;
    case EACCES:
    case EPERM:
    case EBUSY: return PortOpenResult::AccessDenied;
    default: return PortOpenResult::OtherError;
  }
}

}  // namespace

SerialLine::~SerialLine() { Close(); }

bool SerialLine::IsDeviceGone(int error) { return error == EIO || error == ENODEV || error == ENXIO; }

LineOpenResult SerialLine::Open(const std::string& path) {
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return {ClassifyOpenError(error), error};
  }
  // The port is ours alone: another holder of the lock (another instance, or a
  // program that locks ports the same way) means the port is in use.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return {ClassifyOpenError(error), error};
  }
  // Keeps further opens out; a device that is no terminal fails in Configure.
  ::ioctl(fd, TIOCEXCL);
  fd_ = fd;
  return {PortOpenResult::Opened, 0};
}

int SerialLine::Configure(std::uint32_t baudRate) {
  // 0 would hang the line up rather than set a rate.
  if (baudRate == 0) return EINVAL;
  const std::optional<speed_t> speed = SpeedOf(baudRate);
  termios settings{};
  if (::tcgetattr(fd_, &settings) != 0) return errno;
  ::cfmakeraw(&settings);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CRTSCTS);
  settings.c_cflag |= CS8 | CSTOPB | CLOCAL | CREAD;
  settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK);
  // A read returns at once with what is queued.
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  // A rate outside the table is set on its own once the rest of the line is.
  const speed_t tableSpeed = speed.value_or(B38400);
  if (::cfsetispeed(&settings, tableSpeed) != 0 || ::cfsetospeed(&settings, tableSpeed) != 0) return errno;
  if (::tcsetattr(fd_, TCSANOW, &settings) != 0) return errno;
  return speed ? 0 : SetCustomBitRate(fd_, baudRate);
}

void SerialLine::Purge() { ::tcflush(fd_, TCIOFLUSH); }

void SerialLine::RaiseModemLines() {
  const int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd_, TIOCMBIS, &lines);
}

void SerialLine::DropDtr() {
  const int lines = TIOCM_DTR;
  ::ioctl(fd_, TIOCMBIC, &lines);
}

std::size_t SerialLine::QueuedInput() const {
  int queued = 0;
  if (::ioctl(fd_, FIONREAD, &queued) != 0 || queued < 0) return 0;
  return static_cast<std::size_t>(queued);
}

WaitResult SerialLine::WaitForInput(std::chrono::milliseconds timeout, const LinkWakeEvent& wake) {
  const PollReport report = PollWithWake(fd_, POLLIN, timeout, wake);
  if (report.error != 0) return {WaitStatus::Failed, report.error};
  if (report.woken) return {WaitStatus::Woken, 0};
  if (report.revents == 0) return {WaitStatus::TimedOut, 0};
  // Bytes still queued are read first, even from a device that has hung up.
  if ((report.revents & POLLIN) != 0 && QueuedInput() > 0) return {WaitStatus::Ready, 0};
  if ((report.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return {WaitStatus::Exception, 0};
  return {WaitStatus::Ready, 0};
}

IoResult SerialLine::Read(std::span<std::uint8_t> buffer) {
  int queued = 0;
  if (::ioctl(fd_, FIONREAD, &queued) != 0) return {IoStatus::Failed, 0, errno, 0};
  const std::size_t waiting = queued > 0 ? static_cast<std::size_t>(queued) : 0;
  if (waiting == 0 || buffer.empty()) return {IoStatus::Done, 0, 0, waiting};
  const ssize_t count = ::read(fd_, buffer.data(), std::min(waiting, buffer.size()));
  if (count < 0) {
    const int error = errno;
    const bool retry = error == EAGAIN || error == EINTR;
    return {retry ? IoStatus::WouldBlock : IoStatus::Failed, 0, error, waiting};
  }
  return {IoStatus::Done, static_cast<std::size_t>(count), 0, waiting};
}

IoResult SerialLine::Write(std::span<const std::uint8_t> bytes, const LinkWakeEvent& wake) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t count = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (count > 0) {
      done += static_cast<std::size_t>(count);
      continue;
    }
    const int error = count < 0 ? errno : EAGAIN;
    if (error == EINTR) continue;
    if (error != EAGAIN) return {IoStatus::Failed, done, error, 0};
    const PollReport report = PollWithWake(fd_, POLLOUT, kWaitWithoutLimit, wake);
    if (report.error != 0) return {IoStatus::Failed, done, report.error, 0};
    if (report.woken) return {IoStatus::WouldBlock, done, EAGAIN, 0};
    if ((report.revents & POLLOUT) == 0 && (report.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
      return {IoStatus::Failed, done, EIO, 0};
    }
  }
  return {IoStatus::Done, done, 0, 0};
}

int SerialLine::Close() {
  if (fd_ < 0) return 0;
  ::ioctl(fd_, TIOCNXCL);
  const int result = ::close(std::exchange(fd_, -1));
  // Linux releases the descriptor even when close() reports an error.
  return result == 0 || errno == EINTR ? 0 : errno;
}

}  // namespace tusko
