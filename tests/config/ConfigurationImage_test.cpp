#include "config/ConfigurationImage.h"

#include <gtest/gtest.h>

#include <string>

#include "ImageBytes.h"

namespace tusko {
namespace {

using test::Bytes;
using test::Join;
using test::Repeat;
using test::Slice;
using test::TextBytes;

constexpr std::uint8_t FF = 0xFF;

TEST(ConfigurationImageTest, StartsUnsetWithLittleEndianWords) {
  ConfigurationImage image;
  EXPECT_EQ(image.AllBytes().size(), 29332u);
  EXPECT_EQ(Slice(image, 0, image.kSize), Repeat(image.kSize, FF));
  EXPECT_TRUE(image.SetWord32(100, 0x18010A1A));
  EXPECT_EQ(Slice(image, 100, 4), (Bytes{0x1A, 0x0A, 0x01, 0x18}));
  EXPECT_TRUE(image.SetWord16(200, 0x1234));
  EXPECT_EQ(Slice(image, 200, 2), (Bytes{0x34, 0x12}));
  EXPECT_EQ(image.Word16(100), 0x0A1A);
  EXPECT_EQ(image.Word32(200), 0xFFFF1234u);
}

TEST(ConfigurationImageTest, AccessPastTheEndSeesUnsetAndChangesNothing) {
  ConfigurationImage image;
  image.SetByte(29331, 7);
  const ConfigurationImage before = image;

  EXPECT_EQ(image.Byte(29331), 7);
  EXPECT_EQ(image.Byte(29332), FF);
  EXPECT_EQ(image.Word32(29330), 0xFFFF07FFu);  // the bytes outside read as unset
  EXPECT_FALSE(image.SetByte(29332, 0));
  EXPECT_FALSE(image.SetWord16(29332, 0));
  EXPECT_FALSE(image.Store(29330, Bytes{1, 2, 3}));
  EXPECT_FALSE(image.StoreText(SIZE_MAX, "x"));
  EXPECT_EQ(image, before);

  EXPECT_TRUE(image.Range(29332, 1).empty());
  EXPECT_TRUE(image.Range(SIZE_MAX, 2).empty());
  EXPECT_TRUE(image.MutableRange(1, SIZE_MAX).empty());
  EXPECT_EQ(image.Range(29331, 1).size(), 1u);
  EXPECT_EQ(image.Text(29330, 10).size(), 2u);
  EXPECT_TRUE(image.Text(40000, 10).empty());
}

TEST(ConfigurationImageTest, FillStopsAtTheEndAndFromBytesTakesExactlyOneImage) {
  ConfigurationImage image;
  EXPECT_FALSE(image.Fill(29330, 10, 0));
  EXPECT_EQ(Slice(image, 29328, 4), (Bytes{FF, FF, 0, 0}));
  EXPECT_FALSE(image.Fill(SIZE_MAX, SIZE_MAX, 0));
  EXPECT_TRUE(image.Fill(layout::timeSync::kSection, 1));
  EXPECT_FALSE(ConfigurationImage::FromBytes(Repeat(29331, 0)).has_value());
  EXPECT_FALSE(ConfigurationImage::FromBytes(Repeat(29333, 0)).has_value());
  const auto read = ConfigurationImage::FromBytes(Repeat(29332, 3));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->Byte(29331), 3);
}

TEST(ConfigurationImageTest, SignatureIsTheWordAt108) {
  ConfigurationImage image;
  EXPECT_FALSE(HasSignature(image));
  test::Put(image, 108, {0x1A, 0x0A, 0x01, 0x18});
  EXPECT_TRUE(HasSignature(image));
  image.SetByte(111, 0x19);
  EXPECT_FALSE(HasSignature(image));
  StoreSignature(image);
  EXPECT_TRUE(HasSignature(image));
}

// Every default, written out byte by byte; whatever no row names stays 0xFF.
struct DefaultRow {
  const char* name;
  std::size_t offset;
  Bytes bytes;
};

Bytes CreditDefaults() { return Join({Repeat(48, 0), Repeat(12, 1), Repeat(6, FF), {1}}); }

Bytes IsdnLinkDefaults() { return {0, 0, FF, FF, 0, 0, FF, FF, 0, 0, 0, 0}; }

Bytes IncomingGroupDefaults() {
  const Bytes emptyString = Join({{0}, Repeat(23, FF)});
  Bytes group{0, 0, 3, 3, 0, 0, 'A', FF};
  for (int i = 0; i < 7; ++i) group.insert(group.end(), emptyString.begin(), emptyString.end());
  return group;
}

Bytes WorkingDayDefaults() { return {8, 0, FF, FF, 18, 0}; }

std::vector<DefaultRow> DefaultRows() {
  return {
      {"deviceNameLength", 6, {0}},
      {"lanIp", 39, TextBytes("000000000000")},
      {"subnetMask", 51, TextBytes("255255255000")},
      {"port", 63, TextBytes("01002")},
      {"defaultGateway", 68, TextBytes("000000000000")},
      {"dns1", 80, TextBytes("000000000000")},
      {"dns2", 92, TextBytes("000000000000")},
      {"signature", 108, {0x1A, 0x0A, 0x01, 0x18}},
      {"isdnLink1", 256, IsdnLinkDefaults()},
      {"isdnLink2", 288, IsdnLinkDefaults()},
      {"isdnCommon", 320, {6, 0, 0, 0, 0, 30, 1, 0, 0, 1, 3, 0, 0, 0, 0}},
      {"countryPrefix", 340, {0}},
      {"generalFlags", 352, {0, 1, 0, 0, FF, 0}},
      {"creditAlarmLimit", 360, {0, 0, 0, 0}},
      {"module1Groups", 448, {0, 0, FF}},
      {"module2Groups", 452, {0, 0, FF}},
      {"outGroup1", 456, {0, 0}},
      {"outGroup2", 472, {0, 0}},
      {"inGroup1", 488, IncomingGroupDefaults()},
      {"inGroup2", 696, IncomingGroupDefaults()},
      {"module1", 904, {1, 8, 128, 128}},
      {"module1Credit", 916, CreditDefaults()},
      {"module2", 1032, {1, 8, 128, 128}},
      {"module2Credit", 1044, CreditDefaults()},
      {"alarmIpServer", 21352, {0}},
      {"cdrAlwaysZero", 21972, {0}},
      {"cdrTimeout", 21976, {1, 0}},
      {"smsAlwaysZero", 22100, {0}},
      {"secondModule1Credit", 22616, CreditDefaults()},
      {"secondModule2Credit", 22744, CreditDefaults()},
      {"httpOutLength", 22860, {0}},
      {"smsTextLength", 23116, {0}},
      {"httpInLength", 28372, {0}},
      {"monday", 28628, WorkingDayDefaults()},
      {"tuesday", 28660, WorkingDayDefaults()},
      {"wednesday", 28692, WorkingDayDefaults()},
      {"thursday", 28724, WorkingDayDefaults()},
      {"friday", 28756, WorkingDayDefaults()},
      {"isdnLink1Credit", 29012, CreditDefaults()},
      {"isdnLink2Credit", 29108, CreditDefaults()},
      {"creditIpServer", 29204, {0}},
      {"creditSending", 29244, {FF, FF, 0}},
      {"timeSync", 29268, {FF, 0}},
  };
}

TEST(DefaultImageTest, EveryOtherByteIsUnset) {
  ConfigurationImage expected;
  for (const DefaultRow& row : DefaultRows()) expected.Store(row.offset, row.bytes);
  const ConfigurationImage actual = MakeDefaultImage();
  for (std::size_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    ASSERT_EQ(actual.Byte(offset), expected.Byte(offset)) << "at offset " << offset;
  }
}

}  // namespace
}  // namespace tusko
