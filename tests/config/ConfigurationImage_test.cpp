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

}  // namespace
}  // namespace tusko
