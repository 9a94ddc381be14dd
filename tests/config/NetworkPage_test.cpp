#include "config/NetworkPage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImageBytes.h"

namespace tusko {
namespace {

using Address = NetworkPage::Address;
using test::Slice;
using test::TextBytes;

TEST(NetworkPage, WritesEveryFieldToItsPlaceAndShowsItAgain) {
  NetworkPage page;
  page.Load(MakeDefaultImage());
  EXPECT_EQ(page.address(Address::SubnetMask), MakeIpv4Address(255, 255, 255, 0));
  EXPECT_EQ(page.portText(), "1002");

  page.SetAddress(Address::LanIp, MakeIpv4Address(192, 168, 1, 10));
  page.SetAddress(Address::SubnetMask, MakeIpv4Address(255, 255, 0, 0));
  page.SetAddress(Address::DefaultGateway, MakeIpv4Address(10, 0, 0, 1));
  page.SetAddress(Address::Dns1, MakeIpv4Address(8, 8, 4, 4));
  page.SetAddress(Address::Dns2, MakeIpv4Address(1, 2, 3, 255));
  page.SetPortText("8080");
  ConfigurationImage image = MakeDefaultImage();
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(Slice(image, 39, 66), TextBytes("192168001010"
                                            "255255000000"
                                            "08080"
                                            "010000000001"
                                            "008008004004"
                                            "001002003255"
                                            "\xFF"));

  NetworkPage shown;
  shown.Load(image);
  for (const Address a : {Address::LanIp, Address::SubnetMask, Address::DefaultGateway, Address::Dns1, Address::Dns2}) {
    EXPECT_EQ(shown.address(a), page.address(a));
  }
  EXPECT_EQ(shown.portText(), "8080");
}

TEST(NetworkPage, PortMustBeANumberFromOneTo65535) {
  struct Row {
    std::string text;
    std::string stored;  // empty: the apply fails
  };
  const std::vector<Row> rows{{"1", "00001"}, {"65535", "65535"}, {"00080", "00080"}, {"0", ""},   {"65536", ""},
                              {"", ""},       {"12a", ""},        {" 80", ""},        {"-1", ""}, {"99999999999999999999", ""}};
  for (const Row& row : rows) {
    SCOPED_TRACE("port '" + row.text + "'");
    NetworkPage page;
    ConfigurationImage image = MakeDefaultImage();
    page.Load(image);
    page.SetAddress(Address::LanIp, MakeIpv4Address(192, 168, 0, 1));
    page.SetPortText(row.text);
    const ConfigurationImage before = image;
    const PageApply result = page.Apply(image);
    EXPECT_EQ(result.ok, !row.stored.empty());
    if (result.ok) {
      EXPECT_EQ(Slice(image, 63, 5), TextBytes(row.stored));
    } else {
      EXPECT_EQ(result.messageKey, "strSystemNetworkPortInvalid");
      EXPECT_EQ(result.focusField, NetworkPage::kPortField);
      EXPECT_EQ(image, before);  // nothing written, the addresses included
    }
  }
}

TEST(NetworkPage, StoredPortZeroOrUnsetShowsAnEmptyBox) {
  const std::vector<std::pair<test::Bytes, std::string>> rows{{TextBytes("00000"), ""},
                                                              {test::Repeat(5, 0xFF), ""},
                                                              {TextBytes("00023"), "23"},
                                                              {TextBytes("70000"), "70000"}};
  for (const auto& [stored, shown] : rows) {
    ConfigurationImage image = MakeDefaultImage();
    test::Put(image, 63, stored);
    NetworkPage page;
    page.Load(image);
    EXPECT_EQ(page.portText(), shown);
  }
}

}  // namespace
}  // namespace tusko
