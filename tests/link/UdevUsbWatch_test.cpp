#include "link/UdevUsbWatch.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tusko {
namespace {

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
    [](const testing::TestParamInfo<UdevRow>& row) { return std::string(row.param.name); });

TEST(UdevUsbWatch, SplitsLinksAndNamesTheDevice) {
  const auto device = UsbDeviceFromUdev({"/dev/ttyACM0", "/dev/serial/by-id/a  /dev/serial/by-path/b ", "1cbe",
                                         "0002", ""});
  ASSERT_TRUE(device);
  EXPECT_EQ(device->links, (std::vector<std::string>{"/dev/serial/by-id/a", "/dev/serial/by-path/b"}));
  EXPECT_EQ(device->description, "/dev/ttyACM0") << "without a serial name the node names it";
}

}  // namespace
}  // namespace tusko
