#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tusko {

// The gateway's USB port: a CDC serial device with these IDs.
inline constexpr std::uint16_t kGatewayUsbVendorId = 0x1CBE;
inline constexpr std::uint16_t kGatewayUsbProductId = 0x0002;

enum class UsbChange : int {
  Arrival = 1,
  Removal = 2,
};

// A USB serial device as a watch reports it.
struct UsbDevice {
  std::string deviceNode;          // such as /dev/ttyACM0
  std::vector<std::string> links;  // other paths of the same node, such as /dev/serial/by-id/...
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::string description;         // names the device instance in the log
};

bool IsGatewayDevice(const UsbDevice& device);

// Hears of USB serial devices coming and going.
class UsbWatchListener {
 public:
  virtual ~UsbWatchListener() = default;
  virtual void OnUsbDeviceChange(UsbChange change, const UsbDevice& device) = 0;
};

// Follows USB serial devices as they are plugged in and out. The listener is
// called on the thread that the implementation documents (for the udev watch:
// the thread that dispatches its events, the main thread).
class UsbWatch {
 public:
  virtual ~UsbWatch() = default;
  // Starts the watch; false when the system refuses one.
  virtual bool Start(UsbWatchListener& listener) = 0;
  virtual void Stop() = 0;
};

inline bool IsGatewayDevice(const UsbDevice& device) {
  return device.vendorId == kGatewayUsbVendorId && device.productId == kGatewayUsbProductId;
}

}  // namespace tusko
