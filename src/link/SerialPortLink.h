#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

#include "link/LinkHandleGate.h"
#include "link/LinkLog.h"
#include "link/SerialLine.h"

namespace tusko {

inline constexpr std::uint32_t kDefaultBaudRate = 115200;
// One read of the reader thread takes at most this many bytes.
inline constexpr std::size_t kSerialReadChunkBytes = 512;
// While the port is closed (and may be reopened) the reader retries this often.
inline constexpr std::chrono::milliseconds kSerialReopenPollMs{500};
// The reader's wait for input, short enough to notice a stop request even if
// the wake were lost; a close or a stop ends it at once.
inline constexpr std::chrono::milliseconds kSerialReaderWaitMs{1000};

// The device path of a port name: a name without a slash ("ttyACM0") is a
// device in /dev, anything else is taken as a path.
std::string SerialDevicePath(std::string_view portName);

// What the serial link needs from the link control.
class SerialLinkClient {
 public:
  virtual ~SerialLinkClient() = default;
  // The port has just been opened: a half-received frame is to be dropped.
  virtual void OnPortOpened() = 0;
  // Bytes read by the reader thread, in order, for the frame decoder.
  virtual void OnBytesReceived(std::span<const std::uint8_t> bytes) = 0;
  virtual bool StopRequested() const = 0;
  // The setting CommunicationLogRawInput.
  virtual bool RawInputLogged() const = 0;
};

// The serial transport. The main thread opens and closes the port, the reader
// thread waits and reads (and reopens a port that went away), the writer
// thread writes. Every test and change of the handle is made under the port
// lock, which is never held across a blocking call and never while the client
// is called.
class SerialPortLink {
 public:
  SerialPortLink(const LinkLog& log, SerialLinkClient& client) : log_(log), client_(client) {}
  SerialPortLink(const SerialPortLink&) = delete;
  SerialPortLink& operator=(const SerialPortLink&) = delete;

  // The settings VirtualComPort and Baudrate, copied at each start of the link.
  void SetPort(std::string portName, std::uint32_t baudRate);
  std::string PortName() const;

  PortOpenResult OpenPort();
  // The count written; 0 when the port is closed.
  std::size_t WritePort(std::span<const std::uint8_t> bytes);
  // The count read, at most the buffer's size; sets `moreWaiting` when the
  // driver held more bytes than were read.
  std::size_t ReadPort(std::span<std::uint8_t> buffer, bool& moreWaiting);
  // Closes the port and holds it closed: the reader does not reopen it.
  void ClosePort();
  // The link control's full close: DTR off, both queues purged, then closed;
  // the hold-closed flag is left as it is.
  void CloseForShutdown();
  bool IsPortOpen() const;

  // Cleared by the link control after its open attempt.
  void ClearHoldClosed();
  bool IsHeldClosed() const;

  // One pass of the reader thread's loop: waits up to `wait` for input, a line
  // error or a close, drains the input to the client, reopens a port that went away.
  void WaitAndReadStep(std::chrono::milliseconds wait);
  // Makes the reader's waits return at once until ResumeWaits (the link control's stop).
  void StopWaits();
  void ResumeWaits();

 private:
  // With mutex_ held through `lock`: closes the line unless another thread
  // does, with `dropLine` first lowering DTR and purging; a failed close is logged.
  void CloseLineLocked(std::unique_lock<std::mutex>& lock, bool dropLine);
  // The device went away under a write or a wait: close, then try once to reopen.
  void ReopenAfterDeviceGone();
  void DrainInput();

  const LinkLog& log_;
  SerialLinkClient& client_;
  mutable std::mutex mutex_;  // the port lock
  LinkHandleGate gate_;
  SerialLine line_;
  std::string portName_;
  std::uint32_t baudRate_ = kDefaultBaudRate;
  bool holdClosed_ = false;
};

}  // namespace tusko
