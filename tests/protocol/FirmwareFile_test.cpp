// The firmware file reader: structure checks, address ranges, identification
// and the blocks it hands out.
#include "protocol/FirmwareFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

#include "protocol/TransferConstants.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

using test::FirmwareData;
using test::FirmwareFileBytes;
using test::TestSection;

constexpr std::uint8_t kOther = kSectionTypeOther;
constexpr std::uint8_t kApplication = kSectionTypeApplication;
constexpr std::uint32_t kBase = 0x10000;

std::vector<std::uint8_t> WithByte(std::vector<std::uint8_t> bytes, std::size_t at, std::uint8_t value) {
  bytes.at(at) = value;
  return bytes;
}

std::vector<std::uint8_t> Concat(std::vector<std::uint8_t> first, const std::vector<std::uint8_t>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

std::vector<std::uint8_t> Truncated(std::vector<std::uint8_t> bytes, std::size_t dropped) {
  bytes.resize(bytes.size() - dropped);
  return bytes;
}

const std::vector<std::uint8_t> kIdentified = FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "2.1.7")}});
const std::vector<std::uint8_t> kOtherOnly = FirmwareFileBytes({{kOther, kBase, FirmwareData(64)}});

// Signature in the second kilobyte of the section: outside the part searched.
std::vector<std::uint8_t> LateSignature() {
  std::vector<std::uint8_t> data = FirmwareData(2000);
  const std::vector<std::uint8_t> marked = FirmwareData(40, "9.9.9");
  std::copy(marked.begin(), marked.end(), data.begin() + 1100);
  return FirmwareFileBytes({{kApplication, kBase, data}});
}

struct CheckRow {
  const char* name;
  std::vector<std::uint8_t> file;
  bool identificationRequired;
  FirmwareParseResult parsed;
  std::optional<AddressRange> outsideRange;  // CheckAddresses' answer; none when every section fits
  std::optional<std::string> identification;  // FindIdentification's text; none when it fails
};

class FirmwareFileCheck : public testing::TestWithParam<CheckRow> {};

TEST_P(FirmwareFileCheck, ParseCheckAndIdentify) {
  const CheckRow& row = GetParam();
  test::TempFile stored(row.file);
  FirmwareFile file;
  file.AddAllowedRange(kFirmwareFlashWindow);
  file.SetIdentificationRequired(row.identificationRequired);
  ASSERT_TRUE(file.OpenFile(stored.path()));

  EXPECT_EQ(file.Parse(), row.parsed);
  if (row.parsed != FirmwareParseResult::Ok) return;

  AddressRange outside{};
  EXPECT_EQ(file.CheckAddresses(outside), !row.outsideRange.has_value());
  if (row.outsideRange) {
    EXPECT_EQ(outside.start, row.outsideRange->start);
    EXPECT_EQ(outside.length, row.outsideRange->length);
  }
  std::string text = "stale";
  EXPECT_EQ(file.FindIdentification(text), row.identification.has_value());
  EXPECT_EQ(text, row.identification.value_or(""));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FirmwareFileCheck,
    testing::Values(
        CheckRow{"ApplicationSectionWithIdentification", kIdentified, true, FirmwareParseResult::Ok, {}, "2.1.7"},
        CheckRow{"EmptyFile", {}, true, FirmwareParseResult::Empty, {}, {}},
        CheckRow{"SectionTypeTwo", WithByte(kIdentified, 3, 2), true, FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"WrongMagic", WithByte(kIdentified, 1, 'X'), true, FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"ZeroLength", FirmwareFileBytes({{kApplication, kBase, {}}}), true, FirmwareParseResult::FormatError,
                 {}, {}},
        CheckRow{"EndsFiveBytesIntoAHeader",
                 Concat(kIdentified, std::vector<std::uint8_t>(kIdentified.begin(), kIdentified.begin() + 5)), true,
                 FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"SectionLongerThanTheFile", Truncated(kIdentified, 1), true, FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"OnlyOtherDataWithIdentificationRequired", kOtherOnly, true, FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"OnlyOtherDataWithoutIdentification", kOtherOnly, false, FirmwareParseResult::Ok, {}, {}},
        CheckRow{"ApplicationWithoutIdentificationNotRequired",
                 FirmwareFileBytes({{kApplication, kBase, FirmwareData(64)}}), false, FirmwareParseResult::Ok, {}, ""},
        CheckRow{"ApplicationWithoutSignature", FirmwareFileBytes({{kApplication, kBase, FirmwareData(64)}}), true,
                 FirmwareParseResult::Ok, {}, {}},
        CheckRow{"SignaturePastTheFirstKilobyte", LateSignature(), true, FirmwareParseResult::Ok, {}, {}},
        CheckRow{"LaterApplicationSectionWins",
                 FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1.0.0")},
                                    {kApplication, 0x20000, FirmwareData(40, "1.0.1")}}),
                 true, FirmwareParseResult::Ok, {}, "1.0.1"},
        CheckRow{"LastByteOfTheWindow",
                 FirmwareFileBytes({{kApplication, 0x77FE0, FirmwareData(0x20, "3")}}), true, FirmwareParseResult::Ok,
                 {}, "3"},
        CheckRow{"LastBytePastTheWindow",
                 FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1")}, {kOther, 0x77FF0, FirmwareData(0x20)}}),
                 true, FirmwareParseResult::Ok, AddressRange{0x77FF0, 0x20}, "1"},
        CheckRow{"SectionEndsAtTheTopOfTheAddressSpace",
                 FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1")}, {kOther, 0xFFFFFFC0, FirmwareData(0x40)}}),
                 true, FirmwareParseResult::Ok, AddressRange{0xFFFFFFC0, 0x40}, "1"},
        CheckRow{"SectionWrapsPastTheTopOfTheAddressSpace",
                 FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1")}, {kOther, 0xFFFFFFF0, FirmwareData(0x40)}}),
                 true, FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"BelowTheWindow", FirmwareFileBytes({{kApplication, 0xFF00, FirmwareData(0x200, "1")}}), true,
                 FirmwareParseResult::Ok, AddressRange{0xFF00, 0x200}, "1"}),
    test::RowName<CheckRow>);

TEST(FirmwareFile, MissingFileOrFolderCannotBeOpened) {
  FirmwareFile file;
  EXPECT_FALSE(file.OpenFile("/nonexistent/firmware.bin"));
  EXPECT_EQ(file.Parse(), FirmwareParseResult::CannotOpen);
  EXPECT_FALSE(file.OpenFile("/tmp"));
  EXPECT_FALSE(file.IsOpen());
}

struct Block {
  std::uint32_t address;
  int length;
  bool newSection;
  bool operator==(const Block&) const = default;
};

void PrintTo(const Block& block, std::ostream* out) {
  *out << std::hex << block.address << std::dec << "+" << block.length << (block.newSection ? " new" : "");
}

struct BlockRow {
  const char* name;
  std::vector<TestSection> sections;
  std::uint32_t pageSize;
  std::size_t maximum;
  std::vector<Block> blocks;
};

class FirmwareFileBlocks : public testing::TestWithParam<BlockRow> {};

TEST_P(FirmwareFileBlocks, BlocksFollowTheSectionsAndPages) {
  const BlockRow& row = GetParam();
  test::TempFile stored(FirmwareFileBytes(row.sections));
  FirmwareFile file;
  file.SetIdentificationRequired(false);
  file.SetPageSize(row.pageSize);
  ASSERT_TRUE(file.OpenFile(stored.path()));
  ASSERT_EQ(file.Parse(), FirmwareParseResult::Ok);

  std::vector<Block> blocks;
  std::vector<std::uint8_t> buffer(row.maximum);
  std::size_t section = 0;
  std::size_t offset = 0;
  bool newSection = false;
  for (bool more = true; more;) {
    std::uint32_t address = 0;
    const int read = file.ReadBlock(buffer, address);
    ASSERT_GT(read, 0);
    EXPECT_EQ(address, file.CurrentAddress());
    EXPECT_EQ(file.BytesDone(), [&] {
      std::uint64_t done = offset;
      for (std::size_t i = 0; i < section; ++i) done += row.sections[i].data.size();
      return done;
    }());
    const auto& data = row.sections[section].data;
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + read, data.begin() + static_cast<std::ptrdiff_t>(offset)));
    blocks.push_back({address, read, newSection});
    more = file.Advance(newSection);
    offset += static_cast<std::size_t>(read);
    if (offset == data.size()) {
      ++section;
      offset = 0;
    }
  }
  EXPECT_EQ(blocks, row.blocks);
  EXPECT_EQ(file.BytesDone(), file.BytesTotal());
  std::uint32_t address = 0;
  EXPECT_EQ(file.ReadBlock(buffer, address), 0);
  EXPECT_FALSE(file.CurrentSection().has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FirmwareFileBlocks,
    testing::Values(
        BlockRow{"ThreeHundredBytesInFlashBlocks", {{kOther, kBase, FirmwareData(300)}}, 1024, 208,
                 {{kBase, 208, false}, {kBase + 208, 92, false}}},
        BlockRow{"SixteenBytesBeforeAPage", {{kOther, 0x103F0, FirmwareData(100)}}, 1024, 208,
                 {{0x103F0, 16, false}, {0x10400, 84, false}}},
        BlockRow{"NoPageLimit", {{kOther, 0x103F0, FirmwareData(100)}}, 0, 208, {{0x103F0, 100, false}}},
        BlockRow{"TwoSections", {{kOther, kBase, FirmwareData(8)}, {kApplication, 0x20000, FirmwareData(10)}}, 1024,
                 208, {{kBase, 8, false}, {0x20000, 10, true}}}),
    test::RowName<BlockRow>);

TEST(FirmwareFile, ShrunkFileGivesAReadError) {
  const std::vector<std::uint8_t> bytes = FirmwareFileBytes({{kOther, kBase, FirmwareData(64)}});
  test::TempFile stored(bytes);
  FirmwareFile file;
  file.SetIdentificationRequired(false);
  ASSERT_TRUE(file.OpenFile(stored.path()));
  ASSERT_EQ(file.Parse(), FirmwareParseResult::Ok);
  ASSERT_EQ(::truncate(stored.path().c_str(), kFirmwareHeaderBytes), 0);

  std::vector<std::uint8_t> buffer(kFlashBlockMaxBytes);
  std::uint32_t address = 0;
  EXPECT_EQ(file.ReadBlock(buffer, address), -1);
}

}  // namespace
}  // namespace tusko
