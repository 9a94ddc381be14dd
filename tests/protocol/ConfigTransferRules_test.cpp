// The pure rules of the configuration transfer: addressing, block cutting,
// the two skip rules and the progress value.
#include "protocol/engine/ConfigTransferRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "protocol/TransferScript.h"

namespace tusko {
namespace {

namespace L = layout;

constexpr std::uint8_t kSet = 0x5A;

// Marks one byte of a table entry so that the entry is no longer empty.
void UseEntry(ConfigurationImage& image, const L::CountedTable& table, std::size_t index) {
  image.SetByte(table.RecordOffset(index) + table.keyByte, 3);
}

// ---- Download skip rule ----

TEST(DownloadSkipRule, MovesOnlyPastAnEmptyEntryAlreadyRead) {
  const L::CountedTable* const routing = &L::lcr::kRoutingTable;
  const L::CountedTable* const lcrClip = &L::lcr::kClipTable;
  // `used`: the table's leading entries in use; the rest is empty.
  const struct { const char* name; const L::CountedTable* table; std::size_t used, acknowledged, expected; } rows[] = {
      {"RoutingEntry1NotReachedYet", routing, 0, 1280, 1280},
      {"RoutingEntry0EmptyJumpsTo13960", routing, 0, 1408, 13960},
      {"RoutingEntry0UsedEntry1Partly", routing, 1, 1408, 1408},
      {"RoutingEntry1EmptyOnceEntry2Starts", routing, 1, 1536, 13960},
      {"RoutingAllUsed", routing, 100, 13952, 13952},
      {"TableStartIsNotInside", routing, 0, 1160, 1160},
      {"TableEndIsNotInside", lcrClip, 0, 13960, 13960},
      {"LcrClipEntry0Empty", lcrClip, 0, 14088, 17560},
      {"ClipFromGsmEntry1Empty", &L::clipFromGsm::kTable, 1, 17688, 21160},
      {"MobilityNextEntryStartsHere", &L::mobility::kTable, 2, 23672, 23672},
      {"MobilityEntry2Empty", &L::mobility::kTable, 2, 23680, 28372},
      {"FixedSectionNeverSkips", routing, 0, 21300, 21300}};
  for (const auto& row : rows) {
    ConfigurationImage image;
    for (std::size_t i = 0; i < row.used; ++i) UseEntry(image, *row.table, i);
    EXPECT_EQ(DownloadSkip(image, row.acknowledged), row.expected) << row.name;
  }
}

TEST(DownloadSkipRule, EntriesAfterTheFirstEmptyOneBecomeUnset) {
  ConfigurationImage image;
  UseEntry(image, L::lcr::kRoutingTable, 0);
  // Part of entry 2 arrived already, though the table ends at the empty entry 1.
  const std::size_t entry2 = L::lcr::kRoutingTable.RecordOffset(2);
  image.SetByte(entry2 + 1, kSet);
  const std::size_t lastEntry = L::lcr::kRoutingTable.RecordOffset(99);
  image.SetByte(lastEntry, kSet);

  EXPECT_EQ(DownloadSkip(image, 1536), L::lcr::kRoutingTable.section.End());
  const auto rest = image.Range(entry2, L::lcr::kRoutingTable.section.End() - entry2);
  EXPECT_TRUE(std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == L::kUnset; }));
  EXPECT_EQ(image.Byte(L::lcr::kRoutingTable.RecordOffset(0) + L::lcr::kRoutingTable.keyByte), 3);
}

// ---- Upload blocks ----

TEST(UploadBlocks, EndAtTheFlashPageAndCarryTheImagePaddedToWholeGroups) {
  const ConfigurationImage image = test::DenseImage();
  // `length`: UploadBlockLength, up to the flash page's end; `sent`: UploadBlock's size, the image's bytes padded
  // to whole groups.
  const struct { const char* name; std::size_t offset, length, sent; } rows[] = {
      {"First", 0, 208, 208},          {"FourthEndsBeforeBoundary", 624, 208, 208},
      {"At832Shortened", 832, 192, 192}, {"PageStart", 1024, 208, 208},
      {"LastGroupOfAPage", 1016, 8, 8},  {"Last36BytesPaddedTo40", kConfigImageSize - 36, 208, 40},
      {"Last4BytesPaddedTo8", kConfigImageSize - 4, 208, 8}, {"AtTheEnd", kConfigImageSize, 208, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::size_t length = UploadBlockLength(row.offset);
    EXPECT_EQ(length, row.length);
    EXPECT_FALSE(CrossesFlashPage(ConfigDeviceAddress(row.offset), length));
    const std::vector<std::uint8_t> block = UploadBlock(image, row.offset);
    ASSERT_EQ(block.size(), row.sent);
    const std::size_t carried = std::min(row.sent, kConfigImageSize - std::min(row.offset, kConfigImageSize));
    const auto expected = image.Range(row.offset, carried);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.begin()));
    EXPECT_TRUE(std::all_of(block.begin() + static_cast<std::ptrdiff_t>(carried), block.end(),
                            [](std::uint8_t b) { return b == L::kUnset; }));
  }
}

// ---- Upload skip rule ----

TEST(UploadSkipRule, LeavesOutWholeGroupsOfUnsetBytes) {
  // `firstSetByte`: kConfigImageSize for none
  const struct { const char* name; std::size_t firstSetByte, from, expected; } rows[] = {
      {"OnlyUnsetFollows", kConfigImageSize, 208, kConfigImageSize},
      {"SetByteInsideTheFirstGroup", 6, 0, 0},
      {"SetByteStartsAGroup", 1000, 208, 1000},
      {"SetByteInsideALaterGroup", 1003, 208, 1000},
      {"SetByteInsideTheStartGroup", 210, 208, 208},
      {"PastTheEnd", kConfigImageSize, kConfigImageSize + 4, kConfigImageSize}};
  for (const auto& row : rows) {
    ConfigurationImage image;
    image.SetByte(row.firstSetByte, kSet);
    EXPECT_EQ(UploadSkip(image, row.from), row.expected) << row.name;
  }
}

// ---- Addresses and progress ----

TEST(TransferProgress, IsPercentRoundedDown) {
  EXPECT_EQ(TransferProgress(0), 0);
  EXPECT_EQ(TransferProgress(14665), 49);
  EXPECT_EQ(TransferProgress(14666), 50);
  EXPECT_EQ(TransferProgress(kConfigImageSize - 1), 99);
  EXPECT_EQ(TransferProgress(kConfigImageSize), 100);
}

}  // namespace
}  // namespace tusko
