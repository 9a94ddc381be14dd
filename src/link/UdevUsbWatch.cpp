#include "link/UdevUsbWatch.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string>
#include <vector>

#include <libudev.h>

namespace tusko {

namespace {

constexpr std::size_t kUsbIdDigits = 4;

std::optional<std::uint16_t> ParseUsbId(std::string_view text) {
  if (text.empty() || text.size() > kUsbIdDigits) return std::nullopt;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

std::vector<std::string> SplitLinks(std::string_view links) {
  std::vector<std::string> paths;
  while (!links.empty()) {
    const std::size_t blank = std::min(links.find(' '), links.size());
    if (blank > 0) paths.emplace_back(links.substr(0, blank));
    links.remove_prefix(std::min(blank + 1, links.size()));
  }
  return paths;
}

std::string_view TextOf(const char* value) { return value != nullptr ? value : std::string_view(); }

std::optional<UsbChange> ChangeOf(std::string_view action) {
  if (action == "add") return UsbChange::Arrival;
  if (action == "remove") return UsbChange::Removal;
  return std::nullopt;
}

}  // namespace

std::optional<UsbDevice> UsbDeviceFromUdev(const UdevTtyProperties& properties) {
  const auto vendorId = ParseUsbId(properties.vendorId);
  const auto productId = ParseUsbId(properties.productId);
  if (properties.deviceNode.empty() || !vendorId || !productId) return std::nullopt;
  UsbDevice device;
  device.deviceNode = properties.deviceNode;
  device.links = SplitLinks(properties.links);
  device.vendorId = *vendorId;
  device.productId = *productId;
  device.description = properties.description.empty() ? properties.deviceNode : properties.description;
  return device;
}

// The IDs come from the USB parent while it exists; on removal its sysfs
// entry is gone already and the event's own properties tell them.
UdevTtyProperties ReadTtyProperties(udev_device* tty) {
  UdevTtyProperties properties;
  properties.deviceNode = TextOf(udev_device_get_devnode(tty));
  properties.links = TextOf(udev_device_get_property_value(tty, "DEVLINKS"));
  properties.vendorId = TextOf(udev_device_get_property_value(tty, "ID_VENDOR_ID"));
  properties.productId = TextOf(udev_device_get_property_value(tty, "ID_MODEL_ID"));
  properties.description = TextOf(udev_device_get_property_value(tty, "ID_SERIAL"));
  // The parent belongs to `tty` and lives as long as it does.
  if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device")) {
    const std::string_view vendor = TextOf(udev_device_get_sysattr_value(usb, "idVendor"));
    const std::string_view product = TextOf(udev_device_get_sysattr_value(usb, "idProduct"));
    if (!vendor.empty() && !product.empty()) {
      properties.vendorId = vendor;
      properties.productId = product;
    }
    if (properties.description.empty()) properties.description = TextOf(udev_device_get_sysattr_value(usb, "product"));
  }
  return properties;
}

UdevUsbWatch::~UdevUsbWatch() { Stop(); }

bool UdevUsbWatch::Start(UsbWatchListener& listener) {
  Stop();
  udev_ = udev_new();
  if (udev_ == nullptr) return false;
  monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
  if (monitor_ == nullptr || udev_monitor_filter_add_match_subsystem_devtype(monitor_, "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(monitor_) < 0) {
    Stop();
    return false;
  }
  listener_ = &listener;
  return true;
}

void UdevUsbWatch::Stop() {
  if (monitor_ != nullptr) udev_monitor_unref(monitor_);
  if (udev_ != nullptr) udev_unref(udev_);
  monitor_ = nullptr;
  udev_ = nullptr;
  listener_ = nullptr;
}

int UdevUsbWatch::PollFd() const { return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1; }

void UdevUsbWatch::DispatchPending() {
  while (monitor_ != nullptr) {
    udev_device* tty = udev_monitor_receive_device(monitor_);
    if (tty == nullptr) return;
    const auto change = ChangeOf(TextOf(udev_device_get_action(tty)));
    const auto device = change ? UsbDeviceFromUdev(ReadTtyProperties(tty)) : std::nullopt;
    if (device && listener_ != nullptr) listener_->OnUsbDeviceChange(*change, *device);
    udev_device_unref(tty);
  }
}

}  // namespace tusko
