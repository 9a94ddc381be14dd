#pragma once

#include <string>

#include "link/LinkLog.h"
#include "link/LinkState.h"
#include "link/UsbWatch.h"

namespace tusko {

// What the follower acts on: the link control and the settings it runs with.
class SerialFollowerHost {
 public:
  virtual ~SerialFollowerHost() = default;
  virtual LinkType CurrentLinkType() const = 0;
  // The serial link's port name.
  virtual std::string ConfiguredPortName() const = 0;
  // Closes the serial port and holds it closed (the gateway was unplugged).
  virtual void ClosePort() = 0;
  // Opens the link again without any message box (the gateway is back).
  virtual void ReopenQuietly() = 0;
};

// Follows the gateway's USB serial port: unplugging it closes the port,
// plugging it in again reopens it. Every USB serial device that comes or goes
// is logged. Runs on the main thread.
class SerialDeviceFollower final : public UsbWatchListener {
 public:
  SerialDeviceFollower(const LinkLog& log, SerialFollowerHost& host) : log_(log), host_(host) {}

  void OnUsbDeviceChange(UsbChange change, const UsbDevice& device) override;

 private:
  bool IsConfiguredPort(const UsbDevice& device) const;

  const LinkLog& log_;
  SerialFollowerHost& host_;
};

}  // namespace tusko
