// The readers of the files that updates send: the firmware file's structure
// checks, address ranges, identification and blocks; which announcement WAV
// files the gateway can take, and the bytes it gets of them.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "protocol/AnnouncementFile.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "support/FirmwareFiles.h"
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

// `outsideRange`: CheckAddresses' answer, none when every section fits; `identification`: FindIdentification's
// text, none when it fails.
TEST(FirmwareFile, ParseCheckAndIdentify) {
  const struct { const char* name; Bytes file; bool identificationRequired; FirmwareParseResult parsed;
                 std::optional<AddressRange> outsideRange; std::optional<std::string> identification; } rows[] = {
      {"ApplicationSectionWithIdentification", kIdentified, true, FirmwareParseResult::Ok, {}, "2.1.7"},
      {"EmptyFile", {}, true, FirmwareParseResult::Empty, {}, {}},
      {"SectionTypeTwo", Patched(kIdentified, 3, 1, 2), true, FirmwareParseResult::FormatError, {}, {}},
      {"WrongMagic", Patched(kIdentified, 1, 1, 'X'), true, FirmwareParseResult::FormatError, {}, {}},
      {"ZeroLength", FirmwareFileBytes({{kApplication, kBase, {}}}), true, FirmwareParseResult::FormatError, {}, {}},
      {"EndsFiveBytesIntoAHeader", Concat(kIdentified, Bytes(kIdentified.begin(), kIdentified.begin() + 5)), true,
       FirmwareParseResult::FormatError, {}, {}},
      {"SectionLongerThanTheFile", Resized(kIdentified, kIdentified.size() - 1), true, FirmwareParseResult::FormatError, {}, {}},
      {"OnlyOtherDataWithIdentificationRequired", kOtherOnly, true, FirmwareParseResult::FormatError, {}, {}},
      {"OnlyOtherDataWithoutIdentification", kOtherOnly, false, FirmwareParseResult::Ok, {}, {}},
      {"ApplicationWithoutIdentificationNotRequired", FirmwareFileBytes({{kApplication, kBase, FirmwareData(64)}}), false,
       FirmwareParseResult::Ok, {}, ""},
      {"ApplicationWithoutSignature", FirmwareFileBytes({{kApplication, kBase, FirmwareData(64)}}), true,
       FirmwareParseResult::Ok, {}, {}},
      {"SignaturePastTheFirstKilobyte", LateSignature(), true, FirmwareParseResult::Ok, {}, {}},
      {"LaterApplicationSectionWins",
       FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1.0.0")},
                          {kApplication, 0x20000, FirmwareData(40, "1.0.1")}}),
       true, FirmwareParseResult::Ok, {}, "1.0.1"},
      {"LastByteOfTheWindow", FirmwareFileBytes({{kApplication, 0x77FE0, FirmwareData(0x20, "3")}}), true,
       FirmwareParseResult::Ok, {}, "3"},
      {"LastBytePastTheWindow",
       FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1")}, {kOther, 0x77FF0, FirmwareData(0x20)}}),
       true, FirmwareParseResult::Ok, AddressRange{0x77FF0, 0x20}, "1"},
      {"SectionEndsAtTheTopOfTheAddressSpace",
       FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1")}, {kOther, 0xFFFFFFC0, FirmwareData(0x40)}}),
       true, FirmwareParseResult::Ok, AddressRange{0xFFFFFFC0, 0x40}, "1"},
      {"SectionWrapsPastTheTopOfTheAddressSpace",
       FirmwareFileBytes({{kApplication, kBase, FirmwareData(40, "1")}, {kOther, 0xFFFFFFF0, FirmwareData(0x40)}}),
       true, FirmwareParseResult::FormatError, {}, {}},
      {"BelowTheWindow", FirmwareFileBytes({{kApplication, 0xFF00, FirmwareData(0x200, "1")}}), true,
       FirmwareParseResult::Ok, AddressRange{0xFF00, 0x200}, "1"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::TempFile stored(row.file);
    FirmwareFile file;
    file.AddAllowedRange(kFirmwareFlashWindow);
    file.SetIdentificationRequired(row.identificationRequired);
    ASSERT_TRUE(file.OpenFile(stored.path()));
    EXPECT_EQ(file.Parse(), row.parsed);
    if (row.parsed != FirmwareParseResult::Ok) continue;
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

// `maximum`: the largest block the update asks for.
TEST(FirmwareFile, BlocksFollowTheSectionsAndPages) {
  const struct { const char* name; std::vector<TestSection> sections; std::uint32_t pageSize; std::size_t maximum;
                 std::vector<Block> blocks; } rows[] = {
      {"ThreeHundredBytesInFlashBlocks", {{kOther, kBase, FirmwareData(300)}}, 1024, 208,
       {{kBase, 208, false}, {kBase + 208, 92, false}}},
      {"SixteenBytesBeforeAPage", {{kOther, 0x103F0, FirmwareData(100)}}, 1024, 208,
       {{0x103F0, 16, false}, {0x10400, 84, false}}},
      {"NoPageLimit", {{kOther, 0x103F0, FirmwareData(100)}}, 0, 208, {{0x103F0, 100, false}}},
      {"TwoSections", {{kOther, kBase, FirmwareData(8)}, {kApplication, 0x20000, FirmwareData(10)}}, 1024, 208,
       {{kBase, 8, false}, {0x20000, 10, true}}}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
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
}

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

constexpr std::uint32_t kFourCcJunk = 0x6B6E756A;  // "junk"

TEST(AnnouncementFile, WavChecksGiveTheirResult) {
  const Bytes hundred = AlawWav(100);
  const struct { const char* name; Bytes bytes; WavCheck expected; } rows[] = {
      {"with_fact_chunk", AlawWav(10000), WavCheck::Ok},
      {"without_fact_chunk", AlawWav(10000, false), WavCheck::Ok},
      {"largest_riff_size", AlawWav(wav::kMaxRiffSize - 50), WavCheck::Ok},
      {"trailing_bytes_after_the_riff_chunk", Resized(hundred, 300), WavCheck::Ok},
      {"empty", Bytes{}, WavCheck::Empty},
      {"riff_size_one_too_big", Patched(hundred, 4, 4, wav::kMaxRiffSize + 1), WavCheck::TooBig},
      {"file_larger_than_the_gateway_stores", Resized(hundred, wav::kMaxFileSize + 1), WavCheck::TooBig},
      {"shorter_than_the_header", Resized(hundred, 57), WavCheck::BadFormat},
      {"no_riff_id", Patched(hundred, 0, 4, kFourCcJunk), WavCheck::BadFormat},
      {"stereo", Patched(hundred, 22, 2, 2), WavCheck::BadFormat},
      {"sixteen_bits", Patched(hundred, 34, 2, 16), WavCheck::BadFormat},
      {"fmt_size_16", Patched(hundred, 16, 4, 16), WavCheck::BadFormat},
      {"pcm", Patched(hundred, 20, 2, 1), WavCheck::BadFormat},
      {"sixteen_khz", Patched(hundred, 24, 4, 16000), WavCheck::BadFormat},
      {"fact_size_8", Patched(hundred, 42, 4, 8), WavCheck::BadFormat},
      {"other_chunk_after_fmt", Patched(hundred, 38, 4, kFourCcJunk), WavCheck::BadFormat},
      {"no_data_after_fact", Patched(hundred, 50, 4, kFourCcJunk), WavCheck::BadFormat},
      {"data_runs_past_the_end", Patched(hundred, 54, 4, 101), WavCheck::BadFormat},
      {"huge_data_size", Patched(AlawWav(100, false), 42, 4, 0xFFFFFFFF), WavCheck::BadFormat},
      {"cut_short_of_its_riff_size", Resized(Patched(hundred, 4, 4, 160), 158), WavCheck::BadFormat}};
  for (const auto& row : rows) EXPECT_EQ(CheckBytes(row.bytes), row.expected) << row.name;
}

// ---- What the gateway gets ----

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

// The RIFF chunk holds bytes after the audio, one of them set.
Bytes TrailingBytes() {
  Bytes bytes = Patched(Resized(AlawWav(100), 200), 4, 4, 192);
  bytes[190] = 0x01;
  return bytes;
}

TEST(AnnouncementFile, BlocksCoverTheWholeFileWithOnlyTheAudioReversed) {
  const struct { const char* name; Bytes original; std::uint32_t audioStart, audioEnd; } rows[] = {
      {"fact_chunk", AlawWav(10000), 58, 10058},
      {"no_fact_chunk", AlawWav(10000, false), 46, 10046},
      {"bytes_after_the_audio_go_as_they_are", TrailingBytes(), 58, 158}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const TempFile file(row.original);
    AnnouncementFile wav;
    ASSERT_TRUE(wav.OpenFile(file.path()));
    ASSERT_EQ(wav.CheckWav(), WavCheck::Ok);
    EXPECT_EQ(wav.Position(), 0u);
    EXPECT_EQ(wav.FileSize(), row.original.size());
    EXPECT_EQ(wav.layout().audioStart, row.audioStart);
    const Bytes sent = ReadAllBlocks(wav);
    ASSERT_EQ(sent.size(), row.original.size());
    for (std::size_t at = 0; at < row.original.size(); ++at) {
      const bool audio = at >= row.audioStart && at < row.audioEnd;
      ASSERT_EQ(sent[at], audio ? ReverseBits(row.original[at]) : row.original[at]) << at;
    }
  }
}

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
