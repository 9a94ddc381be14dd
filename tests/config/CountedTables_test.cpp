#include "config/CountedTables.h"

#include <gtest/gtest.h>

#include <vector>

namespace tusko {
namespace {

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
