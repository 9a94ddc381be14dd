#include "config/AddressFields.h"

#include <gtest/gtest.h>

#include "ImageBytes.h"

namespace tusko {
namespace {

using test::Put;
using test::TextBytes;

constexpr layout::IpDigitsAt kIp{39};     // the LAN address
constexpr layout::PortDigitsAt kPort{63};  // the gateway's TCP port

// Writing is checked byte by byte through the network page.
TEST(IpDigitsTest, ReadsEachGroupOfThreeDigits) {
  const struct { const char* name; const char* digits; Ipv4Address address; } rows[] = {
      {"plain", "192168001010", MakeIpv4Address(192, 168, 1, 10)},
      {"zero", "000000000000", 0},
      {"mask", "255255255000", 0xFFFFFF00},
      {"groupAbove255", "999168001010", MakeIpv4Address(255, 168, 1, 10)},
      {"digitsThenJunk", "1x2168001010", MakeIpv4Address(1, 168, 1, 10)},
      {"noDigits", "\xFF\xFF\xFF" "168001010", MakeIpv4Address(0, 168, 1, 10)},
      {"unset", "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 0}};
  for (const auto& row : rows) {
    ConfigurationImage image;
    Put(image, kIp.offset, TextBytes(row.digits));
    EXPECT_EQ(ReadIpDigits(image, kIp), row.address) << row.name;
  }
}

TEST(PortDigitsTest, ReadsTheLeadingDigits) {
  const struct { const char* name; const char* digits; std::uint32_t port; } rows[] = {
      {"default", "01002", 1002}, {"highest", "65535", 65535}, {"zero", "00000", 0}, {"aboveRange", "99999", 99999},
      {"unset", "\xFF\xFF\xFF\xFF\xFF", 0}, {"shortThenJunk", "80\xFF\xFF\xFF", 80}};
  for (const auto& row : rows) {
    ConfigurationImage image;
    Put(image, kPort.offset, TextBytes(row.digits));
    EXPECT_EQ(ReadPortDigits(image, kPort), row.port) << row.name;
  }
}

}  // namespace
}  // namespace tusko
