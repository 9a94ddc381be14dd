#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "link/LinkIo.h"
#include "link/LinkWakeEvent.h"

namespace tusko {

// The result of opening the serial port.
enum class PortOpenResult : int {
  Opened = 0,               // opened, or already open
  NotFound = 1,             // the port does not exist
  AccessDenied = 2,         // typically the port is in use by another program
  LineSettingsRefused = 3,  // the port refused the line settings
  OtherError = 4,
};

struct LineOpenResult {
  PortOpenResult result = PortOpenResult::OtherError;
  int error = 0;  // system error number when not Opened
};

// One serial device opened for the link's sole use. Not thread-safe by itself:
// SerialPortLink shares it between its threads.
class SerialLine {
 public:
  SerialLine() = default;
  ~SerialLine();
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // An I/O error that means the device has gone away (unplugged, hung up).
  static bool IsDeviceGone(int error);

  bool IsOpen() const { return fd_ >= 0; }
  // Opens the device path for exclusive use.
  LineOpenResult Open(const std::string& path);
  // Raw mode at `baudRate`, 8 data bits, no parity, two stop bits, no flow
  // control; 0 or the system error (an unsupported rate gives EINVAL).
  int Configure(std::uint32_t baudRate);
  // Discards what waits in both directions.
  void Purge();
  // Raises DTR and RTS. A line without modem control (a pseudo-terminal) refuses quietly.
  void RaiseModemLines();
  void DropDtr();

  // Ready when input is queued; Exception when the device hung up or reports an error.
  WaitResult WaitForInput(std::chrono::milliseconds timeout, const LinkWakeEvent& wake);
  // Reads what is queued, at most the buffer's size; `queued` tells how much was waiting.
  IoResult Read(std::span<std::uint8_t> buffer);
  // Writes every byte, waiting for room as needed; a wake cuts it short (WouldBlock).
  IoResult Write(std::span<const std::uint8_t> bytes, const LinkWakeEvent& wake);
  // Closes the device; 0 or the error the close reported. The handle is
  // released either way (a failed close is not retried: its number may already be reused).
  int Close();

 private:
  std::size_t QueuedInput() const;

  int fd_ = -1;
};

}  // namespace tusko
