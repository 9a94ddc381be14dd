#pragma once

#include <cstdint>
#include <string>

#include "link/LinkState.h"

namespace tusko {

// What the link needs to open: the transport and where it leads. Handed to
// the link at each open; the link keeps the last one for a quiet reopen when
// the gateway's USB port comes back.
struct LinkSettings {
  bool operator==(const LinkSettings&) const = default;

  LinkType type = LinkType::Serial;
  std::string portName;  // any serial port's path
  std::uint32_t baudrate = 115200;
  std::string tcpAddress;  // host name or dotted IPv4 address
  std::uint32_t tcpPort = 1002;
  bool logRawInput = false;  // every received byte goes to the communication log as well
};

// True when the settings name a link: a serial port, or a TCP address and port.
bool LinkSettingsComplete(const LinkSettings& settings);

}  // namespace tusko
