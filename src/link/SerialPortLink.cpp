#include "link/SerialPortLink.h"

#include <array>
#include <utility>

namespace tusko {

std::string SerialDevicePath(std::string_view portName) {
  if (portName.find('/') != std::string_view::npos) return std::string(portName);
  return "/dev/" + std::string(portName);
}

void SerialPortLink::SetPort(std::string portName, std::uint32_t baudRate) {
  std::lock_guard lock(mutex_);
  portName_ = std::move(portName);
  baudRate_ = baudRate;
}

std::string SerialPortLink::PortName() const {
  std::lock_guard lock(mutex_);
  return portName_;
}

PortOpenResult SerialPortLink::OpenPort() {
  std::string name;
  std::uint32_t baudRate = 0;
  {
    std::unique_lock lock(mutex_);
    gate_.WaitWhileClosing(lock);
    if (line_.IsOpen()) return PortOpenResult::Opened;
    name = portName_;
    baudRate = baudRate_;
  }
  log_.Format("Open port %s (%d b/s)", {name, baudRate});
  {
    std::unique_lock lock(mutex_);
    gate_.WaitWhileClosing(lock);
    if (line_.IsOpen()) return PortOpenResult::Opened;
    const LineOpenResult opened = line_.Open(SerialDevicePath(name));
    if (opened.result != PortOpenResult::Opened) {
      log_.SystemError("", opened.error);
      return opened.result;
    }
    if (const int error = line_.Configure(baudRate); error != 0) {
      log_.SystemError("SetCommState ", error);
      line_.Close();
      return PortOpenResult::LineSettingsRefused;
    }
    line_.Purge();
    line_.RaiseModemLines();
  }
  client_.OnPortOpened();
  log_.Line("O.K.");
  return PortOpenResult::Opened;
}

std::size_t SerialPortLink::WritePort(std::span<const std::uint8_t> bytes) {
  std::unique_lock lock(mutex_);
  if (!line_.IsOpen()) return 0;
  const auto written = gate_.RunAsUse(lock, [&] { return line_.Write(bytes, gate_.Wake()); });
  lock.unlock();
  if (!written) return 0;
  if (written->status == IoStatus::Failed) {
    log_.SystemError("Write ", written->error);
    if (SerialLine::IsDeviceGone(written->error)) ReopenAfterDeviceGone();
  }
  return written->count;
}

std::size_t SerialPortLink::ReadPort(std::span<std::uint8_t> buffer, bool& moreWaiting) {
  std::unique_lock lock(mutex_);
  if (!line_.IsOpen()) return 0;
  const auto read = gate_.RunAsUse(lock, [&] { return line_.Read(buffer); });
  if (!read) return 0;
  if (read->status == IoStatus::Failed) log_.SystemError("Read ", read->error);
  if (read->queued > read->count) moreWaiting = true;
  return read->count;
}

void SerialPortLink::ClosePort() {
  std::string name;
  {
    std::unique_lock lock(mutex_);
    gate_.WaitWhileClosing(lock);
    if (!line_.IsOpen()) {
      holdClosed_ = true;
      return;
    }
    name = portName_;
  }
  log_.Format("Close port %s", {name});
  std::unique_lock lock(mutex_);
  CloseLineLocked(lock, false);
  // Closed here or found closed by another thread: either way the port stays shut.
  holdClosed_ = true;
}

void SerialPortLink::CloseForShutdown() {
  log_.Format("Close port %s", {PortName()});
  std::unique_lock lock(mutex_);
  CloseLineLocked(lock, true);
}

void SerialPortLink::CloseLineLocked(std::unique_lock<std::mutex>& lock, bool dropLine) {
  if (!line_.IsOpen() || !gate_.BeginClose(lock)) return;
  if (dropLine) {
    line_.DropDtr();
    line_.Purge();
  }
  if (const int error = line_.Close(); error != 0) log_.SystemError("Close ", error);
  gate_.EndClose();
}

bool SerialPortLink::IsPortOpen() const {
  std::lock_guard lock(mutex_);
  return line_.IsOpen();
}

void SerialPortLink::ClearHoldClosed() {
  std::lock_guard lock(mutex_);
  holdClosed_ = false;
}

bool SerialPortLink::IsHeldClosed() const {
  std::lock_guard lock(mutex_);
  return holdClosed_;
}

void SerialPortLink::WaitAndReadStep(std::chrono::milliseconds wait) {
  if (!IsPortOpen()) {
    gate_.Wake().Wait(kSerialReopenPollMs);
    if (client_.StopRequested() || IsHeldClosed()) return;
    if (OpenPort() != PortOpenResult::Opened) return;
  }

  std::unique_lock lock(mutex_);
  if (!line_.IsOpen()) return;
  const auto waited = gate_.RunAsUse(lock, [&] { return line_.WaitForInput(wait, gate_.Wake()); });
  lock.unlock();
  if (!waited) return;
  switch (waited->status) {
    case WaitStatus::Ready: DrainInput(); break;
    case WaitStatus::Exception: ReopenAfterDeviceGone(); break;
    case WaitStatus::Failed:
    case WaitStatus::Woken:
    case WaitStatus::TimedOut: break;
  }
}

void SerialPortLink::DrainInput() {
  std::array<std::uint8_t, kSerialReadChunkBytes> buffer;
  bool moreWaiting = false;
  std::size_t count = 0;
  do {
    moreWaiting = false;
    count = ReadPort(buffer, moreWaiting);
    if (count == 0) break;
    const std::span<const std::uint8_t> bytes(buffer.data(), count);
    if (client_.RawInputLogged()) log_.RawInput(bytes);
    client_.OnBytesReceived(bytes);
  } while (moreWaiting);
}

void SerialPortLink::ReopenAfterDeviceGone() {
  {
    std::unique_lock lock(mutex_);
    CloseLineLocked(lock, false);
  }
  OpenPort();
}

void SerialPortLink::StopWaits() {
  std::lock_guard lock(mutex_);
  gate_.StopWaits();
}

void SerialPortLink::ResumeWaits() {
  std::lock_guard lock(mutex_);
  gate_.ResumeWaits();
}

}  // namespace tusko
