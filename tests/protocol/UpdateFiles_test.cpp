// The readers of the files that updates send: the firmware file's structure
// checks, address ranges, identification and blocks; which announcement WAV
// files the gateway can take, and the bytes it gets of them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "protocol/AnnouncementFile.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"
#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::AlawWav;
using test::FirmwareData;
using test::FirmwareFileBytes;
using test::TempFile;
using test::TestSection;

Bytes Patched(Bytes bytes, std::size_t offset, std::size_t width, std::uint32_t value) {
  test::PatchLittle(bytes, offset, width, value);
  return bytes;
}

Bytes Resized(Bytes bytes, std::size_t size) {
  bytes.resize(size, 0);
  return bytes;
}

Bytes Concat(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// Neither reader takes a file that is not there, nor a folder.
TEST(UpdateFiles, MissingFileOrFolderCannotBeOpened) {
  FirmwareFile firmware;
  EXPECT_FALSE(firmware.OpenFile("/nonexistent/firmware.bin"));
  EXPECT_EQ(firmware.Parse(), FirmwareParseResult::CannotOpen);
  EXPECT_FALSE(firmware.OpenFile("/tmp"));
  EXPECT_FALSE(firmware.IsOpen());
  AnnouncementFile wav;
  EXPECT_FALSE(wav.OpenFile("/nonexistent/folder/tone.wav"));
  EXPECT_EQ(wav.CheckWav(), WavCheck::CannotOpen);
  EXPECT_FALSE(wav.Accepted());
}

// ==== The firmware file ====

constexpr std::uint8_t kOther = kSectionTypeOther;
constexpr std::uint8_t kApplication = kSectionTypeApplication;
constexpr std::uint32_t kBase = 0x10000;

const Bytes kIdentified = FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "2.1.7")}});
const Bytes kOtherOnly = FirmwareFileBytes({{kOther, kBase, FirmwareData(64)}});

// Signature in the second kilobyte of the section: outside the part searched.
Bytes LateSignature() {
  Bytes data = FirmwareData(2000);
  const Bytes marked = FirmwareData(40, "9.9.9");
  std::copy(marked.begin(), marked.end(), data.begin() + 1100);
  return FirmwareFileBytes({{kApplication, kBase, data}});
}

struct CheckRow {
  const char* name;
  Bytes file;
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
        CheckRow{"SectionTypeTwo", Patched(kIdentified, 3, 1, 2), true, FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"WrongMagic", Patched(kIdentified, 1, 1, 'X'), true, FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"ZeroLength", FirmwareFileBytes({{kApplication, kBase, {}}}), true, FirmwareParseResult::FormatError,
                 {}, {}},
        CheckRow{"EndsFiveBytesIntoAHeader",
                 Concat(kIdentified, Bytes(kIdentified.begin(), kIdentified.begin() + 5)), true,
                 FirmwareParseResult::FormatError, {}, {}},
        CheckRow{"SectionLongerThanTheFile", Resized(kIdentified, kIdentified.size() - 1), true, FirmwareParseResult::FormatError, {}, {}},
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
  Bytes sent;  // the blocks' bytes in order: the sections' data, one after the other
  Bytes buffer(row.maximum);
  bool newSection = false;
  for (bool more = true; more;) {
    std::uint32_t address = 0;
    const int read = file.ReadBlock(buffer, address);
    ASSERT_GT(read, 0);
    EXPECT_EQ(address, file.CurrentAddress());
    EXPECT_EQ(file.BytesDone(), sent.size());
    sent.insert(sent.end(), buffer.begin(), buffer.begin() + read);
    blocks.push_back({address, read, newSection});
    more = file.Advance(newSection);
  }
  EXPECT_EQ(blocks, row.blocks);
  Bytes data;
  for (const TestSection& section : row.sections) data.insert(data.end(), section.data.begin(), section.data.end());
  EXPECT_EQ(sent, data);
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
  const Bytes bytes = FirmwareFileBytes({{kOther, kBase, FirmwareData(64)}});
  test::TempFile stored(bytes);
  FirmwareFile file;
  file.SetIdentificationRequired(false);
  ASSERT_TRUE(file.OpenFile(stored.path()));
  ASSERT_EQ(file.Parse(), FirmwareParseResult::Ok);
  ASSERT_EQ(::truncate(stored.path().c_str(), kFirmwareHeaderBytes), 0);

  Bytes buffer(kFlashBlockMaxBytes);
  std::uint32_t address = 0;
  EXPECT_EQ(file.ReadBlock(buffer, address), -1);
}

// ==== The announcement file ====

constexpr std::uint32_t kBlock = 128;

WavCheck CheckBytes(const Bytes& bytes) {
  const TempFile file(bytes);
  AnnouncementFile wav;
  if (!wav.OpenFile(file.path())) return WavCheck::CannotOpen;
  return wav.CheckWav();
}

struct WavRow {
  const char* name;
  std::function<Bytes()> bytes;
  WavCheck expected;
};

class WavChecks : public ::testing::TestWithParam<WavRow> {};

TEST_P(WavChecks, GiveTheirResult) { EXPECT_EQ(CheckBytes(GetParam().bytes()), GetParam().expected); }

constexpr std::uint32_t kFourCcJunk = 0x6B6E756A;  // "junk"
constexpr std::uint32_t kLargestFactSamples = wav::kMaxRiffSize - 50;

INSTANTIATE_TEST_SUITE_P(
    AnnouncementFile, WavChecks,
    ::testing::Values(
        WavRow{"with_fact_chunk", [] { return AlawWav(10000); }, WavCheck::Ok},
        WavRow{"without_fact_chunk", [] { return AlawWav(10000, false); }, WavCheck::Ok},
        WavRow{"largest_riff_size", [] { return AlawWav(kLargestFactSamples); }, WavCheck::Ok},
        WavRow{"trailing_bytes_after_the_riff_chunk", [] { return Resized(AlawWav(100), 300); }, WavCheck::Ok},
        WavRow{"empty", [] { return Bytes{}; }, WavCheck::Empty},
        WavRow{"riff_size_one_too_big", [] { return Patched(AlawWav(100), 4, 4, wav::kMaxRiffSize + 1); },
                 WavCheck::TooBig},
        WavRow{"file_larger_than_the_gateway_stores",
                 [] { return Resized(AlawWav(100), wav::kMaxFileSize + 1); }, WavCheck::TooBig},
        WavRow{"shorter_than_the_header", [] { return Resized(AlawWav(100), 57); }, WavCheck::BadFormat},
        WavRow{"no_riff_id", [] { return Patched(AlawWav(100), 0, 4, kFourCcJunk); }, WavCheck::BadFormat},
        WavRow{"stereo", [] { return Patched(AlawWav(100), 22, 2, 2); }, WavCheck::BadFormat},
        WavRow{"sixteen_bits", [] { return Patched(AlawWav(100), 34, 2, 16); }, WavCheck::BadFormat},
        WavRow{"fmt_size_16", [] { return Patched(AlawWav(100), 16, 4, 16); }, WavCheck::BadFormat},
        WavRow{"pcm", [] { return Patched(AlawWav(100), 20, 2, 1); }, WavCheck::BadFormat},
        WavRow{"sixteen_khz", [] { return Patched(AlawWav(100), 24, 4, 16000); }, WavCheck::BadFormat},
        WavRow{"fact_size_8", [] { return Patched(AlawWav(100), 42, 4, 8); }, WavCheck::BadFormat},
        WavRow{"other_chunk_after_fmt", [] { return Patched(AlawWav(100), 38, 4, kFourCcJunk); },
                 WavCheck::BadFormat},
        WavRow{"no_data_after_fact", [] { return Patched(AlawWav(100), 50, 4, kFourCcJunk); },
                 WavCheck::BadFormat},
        WavRow{"data_runs_past_the_end", [] { return Patched(AlawWav(100), 54, 4, 101); }, WavCheck::BadFormat},
        WavRow{"huge_data_size", [] { return Patched(AlawWav(100, false), 42, 4, 0xFFFFFFFF); },
                 WavCheck::BadFormat},
        WavRow{"cut_short_of_its_riff_size", [] { return Resized(Patched(AlawWav(100), 4, 4, 160), 158); },
                 WavCheck::BadFormat}),
    test::RowName<WavRow>);

// ---- What the gateway gets ----

struct WalkRow {
  const char* name;
  Bytes (*bytes)();
  std::uint32_t audioStart;
  std::uint32_t audioEnd;
};

class BlockWalk : public ::testing::TestWithParam<WalkRow> {};

// Reads the whole file as the update does: a block at the read position,
// then on by a block, until Advance reports the end.
Bytes ReadAllBlocks(AnnouncementFile& wav) {
  Bytes sent;
  for (bool end = false; !end;) {
    std::array<std::uint8_t, kBlock> buffer{};
    const std::size_t got = wav.ReadBlock(buffer);
    sent.insert(sent.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    end = wav.Advance(kBlock);
    EXPECT_LE(wav.Position(), wav.FileSize());
  }
  return sent;
}

TEST_P(BlockWalk, CoversTheWholeFileWithOnlyTheAudioReversed) {
  const WalkRow& row = GetParam();
  const Bytes original = row.bytes();
  const TempFile file(original);
  AnnouncementFile wav;
  ASSERT_TRUE(wav.OpenFile(file.path()));
  ASSERT_EQ(wav.CheckWav(), WavCheck::Ok);
  EXPECT_EQ(wav.Position(), 0u);
  EXPECT_EQ(wav.FileSize(), original.size());
  EXPECT_EQ(wav.layout().audioStart, row.audioStart);

  const Bytes sent = ReadAllBlocks(wav);
  ASSERT_EQ(sent.size(), original.size());
  for (std::size_t at = 0; at < original.size(); ++at) {
    const bool audio = at >= row.audioStart && at < row.audioEnd;
    ASSERT_EQ(sent[at], audio ? ReverseBits(original[at]) : original[at]) << at;
  }
}

// The RIFF chunk holds bytes after the audio, one of them set.
Bytes TrailingBytes() {
  Bytes bytes = Patched(Resized(AlawWav(100), 200), 4, 4, 192);
  bytes[190] = 0x01;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    AnnouncementFile, BlockWalk,
    ::testing::Values(WalkRow{"fact_chunk", [] { return AlawWav(10000); }, 58, 10058},
                      WalkRow{"no_fact_chunk", [] { return AlawWav(10000, false); }, 46, 10046},
                      WalkRow{"bytes_after_the_audio_go_as_they_are", TrailingBytes, 58, 158}),
    test::RowName<WalkRow>);

TEST(AnnouncementFile, ClosedFileReadsNothingAndIsNoLongerAccepted) {
  const TempFile file(AlawWav(100));
  AnnouncementFile wav;
  ASSERT_TRUE(wav.OpenFile(file.path()));
  ASSERT_EQ(wav.CheckWav(), WavCheck::Ok);
  wav.CloseFile();
  std::array<std::uint8_t, kBlock> buffer{};
  EXPECT_EQ(wav.ReadBlock(buffer), 0u);
  EXPECT_FALSE(wav.Accepted());
  EXPECT_EQ(wav.CheckWav(), WavCheck::Ok);  // opened again by its path
  EXPECT_TRUE(wav.Accepted());
}

TEST(AnnouncementKinds, NumbersAndNamesMatchTheGatewaysOrder) {
  const std::array<const char*, kAnnouncementKindCount> names{"moh", "outgoing", "incoming"};
  for (int number = 0; number < kAnnouncementKindCount; ++number) {
    const auto kind = AnnouncementKindFromNumber(number);
    ASSERT_TRUE(kind.has_value());
    EXPECT_EQ(AnnouncementKindFromName(names[number]), kind);
    EXPECT_STREQ(AnnouncementKindName(*kind), names[number]);
  }
  EXPECT_FALSE(AnnouncementKindFromNumber(kAnnouncementKindCount).has_value());
  EXPECT_FALSE(AnnouncementKindFromName("music").has_value());
}

}  // namespace
}  // namespace tusko
