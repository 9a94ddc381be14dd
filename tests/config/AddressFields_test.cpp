#include "config/AddressFields.h"

#include <gtest/gtest.h>

#include "ImageBytes.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using test::Put;
using test::Slice;
using test::TextBytes;

constexpr layout::IpDigitsAt kIp = layout::network::kLanIp;
constexpr layout::PortDigitsAt kPort = layout::network::kPort;

struct IpRow {
  const char* name;
  const char* digits;
  Ipv4Address address;
};

class IpDigitsReadTest : public ::testing::TestWithParam<IpRow> {};

TEST_P(IpDigitsReadTest, ConvertsEachGroup) {
  const auto& row = GetParam();
  ConfigurationImage image;
  Put(image, kIp.offset, TextBytes(row.digits));
  EXPECT_EQ(ReadIpDigits(image, kIp), row.address);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IpDigitsReadTest,
    ::testing::Values(IpRow{"plain", "192168001010", MakeIpv4Address(192, 168, 1, 10)},
                      IpRow{"zero", "000000000000", 0},
                      IpRow{"mask", "255255255000", 0xFFFFFF00},
                      IpRow{"groupAbove255", "999168001010", MakeIpv4Address(255, 168, 1, 10)},
                      IpRow{"digitsThenJunk", "1x2168001010", MakeIpv4Address(1, 168, 1, 10)},
                      IpRow{"noDigits", "\xFF\xFF\xFF" "168001010", MakeIpv4Address(0, 168, 1, 10)},
                      IpRow{"unset", "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 0}),
    test::RowName<IpRow>);

TEST(IpDigitsWriteTest, WritesTwelveDigitsAndNothingElse) {
  ConfigurationImage image;
  WriteIpDigits(image, kIp, MakeIpv4Address(192, 168, 1, 10));
  EXPECT_EQ(Slice(image, kIp.offset - 1, 14), test::Join({{0xFF}, TextBytes("192168001010"), {0xFF}}));
  EXPECT_EQ(ReadIpDigits(image, kIp), MakeIpv4Address(192, 168, 1, 10));
}

struct PortRow {
  const char* name;
  const char* digits;
  std::uint32_t port;
};

class PortDigitsReadTest : public ::testing::TestWithParam<PortRow> {};

TEST_P(PortDigitsReadTest, ReadsTheLeadingDigits) {
  const auto& row = GetParam();
  ConfigurationImage image;
  Put(image, kPort.offset, TextBytes(row.digits));
  EXPECT_EQ(ReadPortDigits(image, kPort), row.port);
}

INSTANTIATE_TEST_SUITE_P(Rows, PortDigitsReadTest,
                         ::testing::Values(PortRow{"default", "01002", 1002}, PortRow{"highest", "65535", 65535},
                                           PortRow{"zero", "00000", 0}, PortRow{"aboveRange", "99999", 99999},
                                           PortRow{"unset", "\xFF\xFF\xFF\xFF\xFF", 0},
                                           PortRow{"shortThenJunk", "80\xFF\xFF\xFF", 80}),
                         test::RowName<PortRow>);

TEST(PortDigitsWriteTest, ZeroPadsToFiveDigits) {
  ConfigurationImage image;
  WritePortDigits(image, kPort, 80);
  EXPECT_EQ(Slice(image, kPort.offset, 6), test::Join({TextBytes("00080"), {0xFF}}));
  WritePortDigits(image, kPort, 65535);
  EXPECT_EQ(Slice(image, kPort.offset, 5), TextBytes("65535"));
}

}  // namespace
}  // namespace tusko
