#pragma once

#include <string>
#include <vector>

namespace tusko {

// A serial port the user can choose for the link.
struct SerialPortEntry {
  std::string deviceNode;   // such as /dev/ttyACM0
  std::string description;  // the USB device's name, empty for other ports
  bool isGateway = false;   // the gateway's own USB port
  bool operator==(const SerialPortEntry&) const = default;
};

// Every serial port of the machine that exists: USB serial devices, and other
// ports whose device answers an open (or is busy or forbidden, which means it
// is there). The gateway's USB ports come first.
std::vector<SerialPortEntry> ListSerialPorts();

// The list order: the gateway's ports first, then by device node.
void OrderSerialPorts(std::vector<SerialPortEntry>& ports);

}  // namespace tusko
