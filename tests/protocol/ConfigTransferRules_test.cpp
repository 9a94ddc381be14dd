// The pure rules of the configuration transfer: addressing, block cutting,
// the two skip rules and the progress value.
#include "protocol/engine/ConfigTransferRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "protocol/TransferScript.h"
#include "support/RowName.h"

namespace tusko {
namespace {

namespace L = layout;

constexpr std::uint8_t kSet = 0x5A;

// Marks one byte of a table entry so that the entry is no longer empty.
void UseEntry(ConfigurationImage& image, const L::CountedTable& table, std::size_t index) {
  image.SetByte(table.RecordOffset(index) + table.keyByte, 3);
}

// ---- Download skip rule ----

struct DownloadSkipRow {
  const char* name;
  const L::CountedTable* table;
  std::size_t usedEntries;  // leading entries in use; the rest is empty
  std::size_t acknowledged;
  std::size_t expected;
};

class DownloadSkipRule : public ::testing::TestWithParam<DownloadSkipRow> {};

TEST_P(DownloadSkipRule, MovesOnlyPastAnEmptyEntryAlreadyRead) {
  const DownloadSkipRow& row = GetParam();
  ConfigurationImage image;
  for (std::size_t i = 0; i < row.usedEntries; ++i) UseEntry(image, *row.table, i);
  EXPECT_EQ(DownloadSkip(image, row.acknowledged), row.expected);
}

constexpr const L::CountedTable* kRouting = &L::lcr::kRoutingTable;
constexpr const L::CountedTable* kLcrClip = &L::lcr::kClipTable;
constexpr const L::CountedTable* kClipFromGsm = &L::clipFromGsm::kTable;
constexpr const L::CountedTable* kMobility = &L::mobility::kTable;

INSTANTIATE_TEST_SUITE_P(Transfer, DownloadSkipRule,
                         ::testing::Values(DownloadSkipRow{"RoutingEntry1NotReachedYet", kRouting, 0, 1280, 1280},
                                           DownloadSkipRow{"RoutingEntry0EmptyJumpsTo13960", kRouting, 0, 1408, 13960},
                                           DownloadSkipRow{"RoutingEntry0UsedEntry1Partly", kRouting, 1, 1408, 1408},
                                           DownloadSkipRow{"RoutingEntry1EmptyOnceEntry2Starts", kRouting, 1, 1536, 13960},
                                           DownloadSkipRow{"RoutingAllUsed", kRouting, 100, 13952, 13952},
                                           DownloadSkipRow{"TableStartIsNotInside", kRouting, 0, 1160, 1160},
                                           DownloadSkipRow{"TableEndIsNotInside", kLcrClip, 0, 13960, 13960},
                                           DownloadSkipRow{"LcrClipEntry0Empty", kLcrClip, 0, 14088, 17560},
                                           DownloadSkipRow{"ClipFromGsmEntry1Empty", kClipFromGsm, 1, 17688, 21160},
                                           DownloadSkipRow{"MobilityNextEntryStartsHere", kMobility, 2, 23672, 23672},
                                           DownloadSkipRow{"MobilityEntry2Empty", kMobility, 2, 23680, 28372},
                                           DownloadSkipRow{"FixedSectionNeverSkips", kRouting, 0, 21300, 21300}),
                         test::RowName<DownloadSkipRow>);

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

struct BlockRow {
  const char* name;
  std::size_t offset;
  std::size_t length;  // UploadBlockLength: up to the flash page's end
  std::size_t sent;    // UploadBlock's size: the image's bytes padded to whole groups
};

class UploadBlocks : public ::testing::TestWithParam<BlockRow> {};

TEST_P(UploadBlocks, EndAtTheFlashPageAndCarryTheImagePaddedToWholeGroups) {
  const BlockRow& row = GetParam();
  const std::size_t length = UploadBlockLength(row.offset);
  EXPECT_EQ(length, row.length);
  EXPECT_FALSE(CrossesFlashPage(ConfigDeviceAddress(row.offset), length));

  const ConfigurationImage image = test::DenseImage();
  const std::vector<std::uint8_t> block = UploadBlock(image, row.offset);
  ASSERT_EQ(block.size(), row.sent);
  const std::size_t carried = std::min(row.sent, kConfigImageSize - std::min(row.offset, kConfigImageSize));
  const auto expected = image.Range(row.offset, carried);
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.begin()));
  EXPECT_TRUE(std::all_of(block.begin() + static_cast<std::ptrdiff_t>(carried), block.end(),
                          [](std::uint8_t b) { return b == L::kUnset; }));
}

INSTANTIATE_TEST_SUITE_P(Transfer, UploadBlocks,
                         ::testing::Values(BlockRow{"First", 0, 208, 208}, BlockRow{"FourthEndsBeforeBoundary", 624, 208, 208},
                                           BlockRow{"At832Shortened", 832, 192, 192}, BlockRow{"PageStart", 1024, 208, 208},
                                           BlockRow{"LastGroupOfAPage", 1016, 8, 8},
                                           BlockRow{"Last36BytesPaddedTo40", kConfigImageSize - 36, 208, 40},
                                           BlockRow{"Last4BytesPaddedTo8", kConfigImageSize - 4, 208, 8},
                                           BlockRow{"AtTheEnd", kConfigImageSize, 208, 0}),
                         test::RowName<BlockRow>);

// ---- Upload skip rule ----

struct UploadSkipRow {
  const char* name;
  std::size_t firstSetByte;  // kConfigImageSize: none
  std::size_t from;
  std::size_t expected;
};

class UploadSkipRule : public ::testing::TestWithParam<UploadSkipRow> {};

TEST_P(UploadSkipRule, LeavesOutWholeGroupsOfUnsetBytes) {
  const UploadSkipRow& row = GetParam();
  ConfigurationImage image;
  image.SetByte(row.firstSetByte, kSet);
  EXPECT_EQ(UploadSkip(image, row.from), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Transfer, UploadSkipRule,
                         ::testing::Values(UploadSkipRow{"OnlyUnsetFollows", kConfigImageSize, 208, kConfigImageSize},
                                           UploadSkipRow{"SetByteInsideTheFirstGroup", 6, 0, 0},
                                           UploadSkipRow{"SetByteStartsAGroup", 1000, 208, 1000},
                                           UploadSkipRow{"SetByteInsideALaterGroup", 1003, 208, 1000},
                                           UploadSkipRow{"SetByteInsideTheStartGroup", 210, 208, 208},
                                           UploadSkipRow{"PastTheEnd", kConfigImageSize, kConfigImageSize + 4, kConfigImageSize}),
                         test::RowName<UploadSkipRow>);

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
