#pragma once

#include <optional>
#include <string_view>

#include "link/UsbWatch.h"

struct udev;
struct udev_monitor;
struct udev_device;

namespace tusko {

// What a udev event tells of a tty device, as text.
struct UdevTtyProperties {
  std::string_view deviceNode;  // DEVNAME
  std::string_view links;       // DEVLINKS: paths separated by blanks
  std::string_view vendorId;    // idVendor of the USB parent, or ID_VENDOR_ID: four hexadecimal digits
  std::string_view productId;   // idProduct of the USB parent, or ID_MODEL_ID
  std::string_view description; // ID_SERIAL, or the parent's product name
};

// The properties of a tty device; the texts live as long as `tty`.
UdevTtyProperties ReadTtyProperties(udev_device* tty);

// The USB device of a tty event; nothing for a tty that is not on USB or
// whose IDs cannot be read.
std::optional<UsbDevice> UsbDeviceFromUdev(const UdevTtyProperties& properties);

// A libudev monitor of the "tty" subsystem. It runs on no thread of its own:
// the caller watches PollFd() in its event loop (the main thread's, where the
// link is opened and closed) and calls DispatchPending() when it is readable,
// which tells the listener of every waiting arrival or removal of a tty on USB.
class UdevUsbWatch final : public UsbWatch {
 public:
  UdevUsbWatch() = default;
  ~UdevUsbWatch() override;
  UdevUsbWatch(const UdevUsbWatch&) = delete;
  UdevUsbWatch& operator=(const UdevUsbWatch&) = delete;

  bool Start(UsbWatchListener& listener) override;
  void Stop() override;

  // Readable while events wait; -1 when not started.
  int PollFd() const;
  void DispatchPending();

 private:
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
  UsbWatchListener* listener_ = nullptr;
};

}  // namespace tusko
