#include "link/SerialDeviceFollower.h"

#include <algorithm>

#include "link/SerialPortLink.h"

namespace tusko {

void SerialDeviceFollower::OnUsbDeviceChange(UsbChange change, const UsbDevice& device) {
  const bool arrival = change == UsbChange::Arrival;
  log_.Format(arrival ? "USB device added (Vid: %#x, Pid: %#x, %s)" : "USB device removed (Vid: %#x, Pid: %#x, %s)",
              {device.vendorId, device.productId, device.description});
  if (!IsGatewayDevice(device) || host_.CurrentLinkType() != LinkType::Serial || !IsConfiguredPort(device)) return;
  if (arrival) {
    host_.ReopenQuietly();
  } else {
    host_.ClosePort();
  }
}

bool SerialDeviceFollower::IsConfiguredPort(const UsbDevice& device) const {
  const std::string configured = SerialDevicePath(host_.ConfiguredPortName());
  return configured == device.deviceNode ||
         std::find(device.links.begin(), device.links.end(), configured) != device.links.end();
}

}  // namespace tusko
