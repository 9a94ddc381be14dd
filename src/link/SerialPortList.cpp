#include "link/SerialPortList.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <string_view>
#include <memory>

#include <fcntl.h>
#include <libudev.h>
#include <unistd.h>

#include "link/UdevUsbWatch.h"

namespace tusko {

namespace {

// Opening a port that exists but is in use or not ours to open still tells
// that it is there; a missing UART answers with another error.
bool PortAnswers(const std::string& node) {
  const int fd = ::open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  return errno == EBUSY || errno == EACCES || errno == EPERM;
}

struct UdevDeleter {
  void operator()(udev* u) const { udev_unref(u); }
  void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
  void operator()(udev_device* d) const { udev_device_unref(d); }
};

// Virtual terminals and pseudo-terminals have no parent device.
std::optional<SerialPortEntry> EntryOf(udev_device* tty) {
  if (udev_device_get_parent(tty) == nullptr) return std::nullopt;
  const UdevTtyProperties properties = ReadTtyProperties(tty);
  if (properties.deviceNode.empty()) return std::nullopt;
  if (const std::optional<UsbDevice> usb = UsbDeviceFromUdev(properties)) {
    return SerialPortEntry{usb->deviceNode, usb->description, IsGatewayDevice(*usb)};
  }
  const std::string node(properties.deviceNode);
  if (!PortAnswers(node)) return std::nullopt;
  return SerialPortEntry{node, {}, false};
}

// ttyS2 before ttyS10: runs of digits compare by their value.
bool NaturalLess(const std::string& a, const std::string& b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      const std::size_t endA = a.find_first_not_of("0123456789", i);
      const std::size_t endB = b.find_first_not_of("0123456789", j);
      const std::string_view digitsA = std::string_view(a).substr(i, endA - i);
      const std::string_view digitsB = std::string_view(b).substr(j, endB - j);
      const auto trimmedA = digitsA.substr(std::min(digitsA.find_first_not_of('0'), digitsA.size()));
      const auto trimmedB = digitsB.substr(std::min(digitsB.find_first_not_of('0'), digitsB.size()));
      if (trimmedA.size() != trimmedB.size()) return trimmedA.size() < trimmedB.size();
      if (trimmedA != trimmedB) return trimmedA < trimmedB;
      i += digitsA.size();
      j += digitsB.size();
      continue;
    }
    if (a[i] != b[j]) return a[i] < b[j];
    ++i;
    ++j;
  }
  return a.size() - i < b.size() - j;
}

}  // namespace

std::vector<SerialPortEntry> ListSerialPorts() {
  std::vector<SerialPortEntry> ports;
  const std::unique_ptr<udev, UdevDeleter> context(udev_new());
  if (!context) return ports;
  const std::unique_ptr<udev_enumerate, UdevDeleter> enumeration(udev_enumerate_new(context.get()));
  if (!enumeration || udev_enumerate_add_match_subsystem(enumeration.get(), "tty") < 0 ||
      udev_enumerate_scan_devices(enumeration.get()) < 0) {
    return ports;
  }
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumeration.get())) {
    const std::unique_ptr<udev_device, UdevDeleter> tty(
        udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
    if (!tty) continue;
    if (std::optional<SerialPortEntry> port = EntryOf(tty.get())) ports.push_back(std::move(*port));
  }
  OrderSerialPorts(ports);
  return ports;
}

void OrderSerialPorts(std::vector<SerialPortEntry>& ports) {
  std::stable_sort(ports.begin(), ports.end(), [](const SerialPortEntry& a, const SerialPortEntry& b) {
    if (a.isGateway != b.isGateway) return a.isGateway;
    return NaturalLess(a.deviceNode, b.deviceNode);
  });
}

}  // namespace tusko
