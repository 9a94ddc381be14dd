// The serial devices of the computer: the port list's order, a tty's USB ids as udev gives them, and what
// the link does when the gateway's USB device comes and goes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "link/RecordingLog.h"
#include "link/SerialDeviceFollower.h"
#include "link/SerialPortList.h"
#include "link/UdevUsbWatch.h"
#include "support/RowName.h"

namespace tusko {
namespace {

TEST(SerialPortList, PutsTheGatewayFirstThenNamesInNaturalOrder) {
  std::vector<SerialPortEntry> ports = {
      {"/dev/ttyS10", "", false},        {"/dev/ttyUSB0", "FTDI", false}, {"/dev/ttyS2", "", false},
      {"/dev/ttyACM1", "Gateway", true}, {"/dev/ttyACM0", "Modem", false}, {"/dev/ttyS02", "", false},
      {"/dev/ttyACM0x", "", false},
  };
  OrderSerialPorts(ports);
  std::vector<std::string> nodes;
  for (const SerialPortEntry& port : ports) nodes.push_back(port.deviceNode);
  EXPECT_EQ(nodes, (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyACM0", "/dev/ttyACM0x", "/dev/ttyS2",
                                             "/dev/ttyS02", "/dev/ttyS10", "/dev/ttyUSB0"}));
}

struct UdevRow {
  const char* name;
  UdevTtyProperties properties;
  std::optional<std::uint16_t> vendorId;  // nothing: no device reported
  std::uint16_t productId;
};

class UdevUsbWatchRows : public testing::TestWithParam<UdevRow> {};

TEST_P(UdevUsbWatchRows, ReadsTheUsbIdsOfATty) {
  const UdevRow& row = GetParam();
  const auto device = UsbDeviceFromUdev(row.properties);
  ASSERT_EQ(device.has_value(), row.vendorId.has_value());
  if (!device) return;
  EXPECT_EQ(device->vendorId, *row.vendorId);
  EXPECT_EQ(device->productId, row.productId);
  EXPECT_EQ(device->deviceNode, row.properties.deviceNode);
}

INSTANTIATE_TEST_SUITE_P(
    Properties, UdevUsbWatchRows,
    testing::Values(UdevRow{"Gateway", {"/dev/ttyACM0", "", "1cbe", "0002", "x"}, 0x1CBE, 0x0002},
                    UdevRow{"UpperCaseDigits", {"/dev/ttyUSB0", "", "0403", "6A01", "x"}, 0x0403, 0x6A01},
                    UdevRow{"NotOnUsb", {"/dev/ttyS0", "", "", "", ""}, std::nullopt, 0},
                    UdevRow{"NoDeviceNode", {"", "", "1cbe", "0002", ""}, std::nullopt, 0},
                    UdevRow{"NotHexadecimal", {"/dev/ttyACM0", "", "1cbg", "0002", ""}, std::nullopt, 0},
                    UdevRow{"TooLong", {"/dev/ttyACM0", "", "11cbe", "0002", ""}, std::nullopt, 0},
                    UdevRow{"SignedValue", {"/dev/ttyACM0", "", "1cbe", "-2", ""}, std::nullopt, 0}),
    test::RowName<UdevRow>);

TEST(UdevUsbWatch, SplitsLinksAndNamesTheDevice) {
  const auto device = UsbDeviceFromUdev({"/dev/ttyACM0", "/dev/serial/by-id/a  /dev/serial/by-path/b ", "1cbe",
                                         "0002", ""});
  ASSERT_TRUE(device);
  EXPECT_EQ(device->links, (std::vector<std::string>{"/dev/serial/by-id/a", "/dev/serial/by-path/b"}));
  EXPECT_EQ(device->description, "/dev/ttyACM0") << "without a serial name the node names it";
}

class FakeLinkHost final : public SerialFollowerHost {
 public:
  LinkType linkType = LinkType::Serial;
  std::string portName = "/dev/ttyACM0";
  int closes = 0;
  int reopens = 0;

  LinkType CurrentLinkType() const override { return linkType; }
  std::string ConfiguredPortName() const override { return portName; }
  void ClosePort() override { ++closes; }
  void ReopenQuietly() override { ++reopens; }
};

struct FollowRow {
  const char* name;
  LinkType linkType;
  const char* configuredPort;
  std::uint16_t vendorId;
  std::uint16_t productId;
  UsbChange change;
  int closes;
  int reopens;
};

class SerialDeviceFollowerRows : public testing::TestWithParam<FollowRow> {};

TEST_P(SerialDeviceFollowerRows, ActsOnlyOnTheGatewaysConfiguredPort) {
  const FollowRow& row = GetParam();
  RecordingLog sink;
  LinkLog log;
  log.Attach(&sink);
  FakeLinkHost host;
  host.linkType = row.linkType;
  host.portName = row.configuredPort;
  SerialDeviceFollower follower(log, host);
  const UsbDevice device{"/dev/ttyACM0", {"/dev/serial/by-id/usb-Stellaris_0E21-if00"}, row.vendorId, row.productId,
                         "Stellaris_0E21"};
  follower.OnUsbDeviceChange(row.change, device);

  EXPECT_EQ(host.closes, row.closes);
  EXPECT_EQ(host.reopens, row.reopens);
  // Every USB serial device is logged, whatever follows.
  EXPECT_EQ(sink.Count(row.change == UsbChange::Arrival ? "USB device added (Vid: 0x" : "USB device removed (Vid: 0x",
                       false),
            1u);
}

INSTANTIATE_TEST_SUITE_P(
    Events, SerialDeviceFollowerRows,
    testing::Values(
        FollowRow{"GatewayUnpluggedClosesThePort", LinkType::Serial, "/dev/ttyACM0", 0x1CBE, 0x0002, UsbChange::Removal, 1, 0},
        FollowRow{"GatewayPluggedInReopensQuietly", LinkType::Serial, "/dev/ttyACM0", 0x1CBE, 0x0002, UsbChange::Arrival, 0, 1},
        FollowRow{"BareNameIsADeviceInDev", LinkType::Serial, "ttyACM0", 0x1CBE, 0x0002, UsbChange::Removal, 1, 0},
        FollowRow{"PortConfiguredByItsLink", LinkType::Serial, "/dev/serial/by-id/usb-Stellaris_0E21-if00", 0x1CBE,
                  0x0002, UsbChange::Arrival, 0, 1},
        FollowRow{"GatewayOnAnotherPort", LinkType::Serial, "/dev/ttyACM1", 0x1CBE, 0x0002, UsbChange::Removal, 0, 0},
        FollowRow{"GatewayWhileOnTcp", LinkType::Tcp, "/dev/ttyACM0", 0x1CBE, 0x0002, UsbChange::Removal, 0, 0},
        FollowRow{"OtherVendor", LinkType::Serial, "/dev/ttyACM0", 0x0403, 0x0002, UsbChange::Arrival, 0, 0},
        FollowRow{"OtherProduct", LinkType::Serial, "/dev/ttyACM0", 0x1CBE, 0x0003, UsbChange::Removal, 0, 0},
        FollowRow{"NoPortConfigured", LinkType::Serial, "", 0x1CBE, 0x0002, UsbChange::Arrival, 0, 0}),
    test::RowName<FollowRow>);

}  // namespace
}  // namespace tusko
