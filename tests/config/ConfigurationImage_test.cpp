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
  std::size_t offset;
  Bytes bytes;
};

std::vector<DefaultRow> DefaultRows() {
  const Bytes credit = Join({Repeat(48, 0), Repeat(12, 1), Repeat(6, FF), {1}});
  const Bytes emptyString = Join({{0}, Repeat(23, FF)});
  Bytes incomingGroup{0, 0, 3, 3, 0, 0, 'A', FF};
  for (int i = 0; i < 7; ++i) incomingGroup.insert(incomingGroup.end(), emptyString.begin(), emptyString.end());
  const Bytes noAddress = TextBytes("000000000000");
  std::vector<DefaultRow> rows{
      {6, {0}},  // the device name's length
      {39, noAddress}, {51, TextBytes("255255255000")}, {63, TextBytes("01002")}, {68, noAddress}, {80, noAddress},
      {92, noAddress}, {108, {0x1A, 0x0A, 0x01, 0x18}},
      {320, {6, 0, 0, 0, 0, 30, 1, 0, 0, 1, 3, 0, 0, 0, 0}}, {340, {0}}, {352, {0, 1, 0, 0, FF, 0}}, {360, {0, 0, 0, 0}},
      {21352, {0}}, {21972, {0}}, {21976, {1, 0}}, {22100, {0}}, {22860, {0}}, {23116, {0}}, {28372, {0}},
      {29204, {0}}, {29244, {FF, FF, 0}}, {29268, {FF, 0}}};
  // The records that come more than once.
  for (std::size_t at : {256, 288}) rows.push_back({at, {0, 0, FF, FF, 0, 0, FF, FF, 0, 0, 0, 0}});
  for (std::size_t at : {448, 452}) rows.push_back({at, {0, 0, FF}});
  for (std::size_t at : {456, 472}) rows.push_back({at, {0, 0}});
  for (std::size_t at : {488, 696}) rows.push_back({at, incomingGroup});
  for (std::size_t at : {904, 1032}) rows.push_back({at, {1, 8, 128, 128}});
  for (std::size_t at : {916, 1044, 22616, 22744, 29012, 29108}) rows.push_back({at, credit});
  for (std::size_t day = 0; day < 5; ++day) rows.push_back({28628 + 32 * day, {8, 0, FF, FF, 18, 0}});
  return rows;
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
