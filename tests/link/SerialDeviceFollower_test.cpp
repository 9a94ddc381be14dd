#include "link/SerialDeviceFollower.h"

#include <gtest/gtest.h>

#include <string>

#include "link/RecordingLog.h"

namespace tusko {
namespace {

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
    [](const testing::TestParamInfo<FollowRow>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace tusko
