#include "config/ConfigurationImage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImageBytes.h"
#include "config/CountedTables.h"

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

struct CountRow {
  const char* name;
  layout::CountedTable table;
  std::vector<std::uint8_t> keys;  // key bytes of the first records; the rest stay 0xFF
  std::size_t count;
};

TEST(CountRecordsTest, CountsTheLeadingRecordsInUse) {
  const CountRow rows[] = {{"emptyRouting", layout::lcr::kRoutingTable, {}, 0},
                           {"routingKeyIsByte4", layout::lcr::kRoutingTable, {3, 3, 1}, 3},
                           {"stopsAtZero", layout::lcr::kRoutingTable, {3, 0, 3}, 1},
                           {"stopsAtUnset", layout::lcr::kClipTable, {1, 254, 255, 7}, 2},
                           {"firstFreeEndsAll", layout::clipFromGsm::kTable, {0, 4, 4}, 0}};
  for (const CountRow& row : rows) {
    ConfigurationImage image;
    for (std::size_t i = 0; i < row.keys.size(); ++i) {
      image.SetByte(row.table.RecordOffset(i) + row.table.keyByte, row.keys[i]);
    }
    EXPECT_EQ(CountRecords(image, row.table), row.count) << row.name;
  }
}

TEST(CountRecordsTest, NeverCountsPastTheCapacity) {
  ConfigurationImage image;
  image.Fill(0, ConfigurationImage::kSize, 9);  // the bytes behind the table look like records too
  EXPECT_EQ(CountRecords(image, layout::mobility::kTable), 50u);
  EXPECT_EQ(CountRecords(image, layout::clipFromGsm::kTable), 100u);
}

TEST(ClearTableTest, FreesTheWholeSectionOnly) {
  ConfigurationImage image;
  image.Fill(0, ConfigurationImage::kSize, 1);
  ClearTable(image, layout::mobility::kTable);
  EXPECT_EQ(image.Byte(23371), 1);
  EXPECT_EQ(image.Byte(23372), 0xFF);
  EXPECT_EQ(image.Byte(28371), 0xFF);
  EXPECT_EQ(image.Byte(28372), 1);
  EXPECT_EQ(CountRecords(image, layout::mobility::kTable), 0u);
}

}  // namespace
}  // namespace tusko
