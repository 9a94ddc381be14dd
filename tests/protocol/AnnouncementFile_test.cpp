// The announcement WAV reader: which files the gateway can take, and the
// bytes it gets of them.
#include "protocol/AnnouncementFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "support/RowName.h"
#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

using test::AlawWav;
using test::PatchLittle;
using test::TempFile;

constexpr std::uint32_t kBlock = 128;

std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, std::size_t offset, std::size_t width,
                                  std::uint32_t value) {
  PatchLittle(bytes, offset, width, value);
  return bytes;
}

std::vector<std::uint8_t> Resized(std::vector<std::uint8_t> bytes, std::size_t size) {
  bytes.resize(size, 0);
  return bytes;
}

WavCheck CheckBytes(const std::vector<std::uint8_t>& bytes) {
  const TempFile file(bytes);
  AnnouncementFile wav;
  if (!wav.OpenFile(file.path())) return WavCheck::CannotOpen;
  return wav.CheckWav();
}

struct CheckRow {
  const char* name;
  std::function<std::vector<std::uint8_t>()> bytes;
  WavCheck expected;
};

class WavChecks : public ::testing::TestWithParam<CheckRow> {};

TEST_P(WavChecks, GiveTheirResult) { EXPECT_EQ(CheckBytes(GetParam().bytes()), GetParam().expected); }

constexpr std::uint32_t kFourCcJunk = 0x6B6E756A;  // "junk"
constexpr std::uint32_t kLargestFactSamples = wav::kMaxRiffSize - 50;

INSTANTIATE_TEST_SUITE_P(
    AnnouncementFile, WavChecks,
    ::testing::Values(
        CheckRow{"with_fact_chunk", [] { return AlawWav(10000); }, WavCheck::Ok},
        CheckRow{"without_fact_chunk", [] { return AlawWav(10000, false); }, WavCheck::Ok},
        CheckRow{"largest_riff_size", [] { return AlawWav(kLargestFactSamples); }, WavCheck::Ok},
        CheckRow{"trailing_bytes_after_the_riff_chunk", [] { return Resized(AlawWav(100), 300); }, WavCheck::Ok},
        CheckRow{"empty", [] { return std::vector<std::uint8_t>{}; }, WavCheck::Empty},
        CheckRow{"riff_size_one_too_big", [] { return Patched(AlawWav(100), 4, 4, wav::kMaxRiffSize + 1); },
                 WavCheck::TooBig},
        CheckRow{"file_larger_than_the_gateway_stores",
                 [] { return Resized(AlawWav(100), wav::kMaxFileSize + 1); }, WavCheck::TooBig},
        CheckRow{"shorter_than_the_header", [] { return Resized(AlawWav(100), 57); }, WavCheck::BadFormat},
        CheckRow{"no_riff_id", [] { return Patched(AlawWav(100), 0, 4, kFourCcJunk); }, WavCheck::BadFormat},
        CheckRow{"stereo", [] { return Patched(AlawWav(100), 22, 2, 2); }, WavCheck::BadFormat},
        CheckRow{"sixteen_bits", [] { return Patched(AlawWav(100), 34, 2, 16); }, WavCheck::BadFormat},
        CheckRow{"fmt_size_16", [] { return Patched(AlawWav(100), 16, 4, 16); }, WavCheck::BadFormat},
        CheckRow{"pcm", [] { return Patched(AlawWav(100), 20, 2, 1); }, WavCheck::BadFormat},
        CheckRow{"sixteen_khz", [] { return Patched(AlawWav(100), 24, 4, 16000); }, WavCheck::BadFormat},
        CheckRow{"fact_size_8", [] { return Patched(AlawWav(100), 42, 4, 8); }, WavCheck::BadFormat},
        CheckRow{"other_chunk_after_fmt", [] { return Patched(AlawWav(100), 38, 4, kFourCcJunk); },
                 WavCheck::BadFormat},
        CheckRow{"no_data_after_fact", [] { return Patched(AlawWav(100), 50, 4, kFourCcJunk); },
                 WavCheck::BadFormat},
        CheckRow{"data_runs_past_the_end", [] { return Patched(AlawWav(100), 54, 4, 101); }, WavCheck::BadFormat},
        CheckRow{"huge_data_size", [] { return Patched(AlawWav(100, false), 42, 4, 0xFFFFFFFF); },
                 WavCheck::BadFormat},
        CheckRow{"cut_short_of_its_riff_size", [] { return Resized(Patched(AlawWav(100), 4, 4, 160), 158); },
                 WavCheck::BadFormat}),
    test::RowName<CheckRow>);

TEST(AnnouncementFile, MissingFileCannotBeOpened) {
  AnnouncementFile wav;
  EXPECT_FALSE(wav.OpenFile("/nonexistent/folder/tone.wav"));
  EXPECT_EQ(wav.CheckWav(), WavCheck::CannotOpen);
  EXPECT_FALSE(wav.Accepted());
}

// ---- What the gateway gets ----

struct WalkRow {
  const char* name;
  std::vector<std::uint8_t> (*bytes)();
  std::uint32_t audioStart;
  std::uint32_t audioEnd;
};

class BlockWalk : public ::testing::TestWithParam<WalkRow> {};

// Reads the whole file as the update does: a block at the read position,
// then on by a block, until Advance reports the end.
std::vector<std::vector<std::uint8_t>> ReadAllBlocks(AnnouncementFile& wav) {
  std::vector<std::vector<std::uint8_t>> blocks;
  bool end = false;
  while (!end) {
    std::array<std::uint8_t, kBlock> buffer{};
    const std::size_t got = wav.ReadBlock(buffer);
    blocks.emplace_back(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    end = wav.Advance(kBlock);
    EXPECT_LE(wav.Position(), wav.FileSize());
  }
  return blocks;
}

TEST_P(BlockWalk, CoversTheWholeFileWithOnlyTheAudioReversed) {
  const WalkRow& row = GetParam();
  const std::vector<std::uint8_t> original = row.bytes();
  const TempFile file(original);
  AnnouncementFile wav;
  ASSERT_TRUE(wav.OpenFile(file.path()));
  ASSERT_EQ(wav.CheckWav(), WavCheck::Ok);
  EXPECT_EQ(wav.Position(), 0u);
  EXPECT_EQ(wav.FileSize(), original.size());
  EXPECT_EQ(wav.layout().audioStart, row.audioStart);

  std::vector<std::uint8_t> sent;
  for (const auto& block : ReadAllBlocks(wav)) sent.insert(sent.end(), block.begin(), block.end());

  ASSERT_EQ(sent.size(), original.size());
  for (std::size_t at = 0; at < original.size(); ++at) {
    const bool audio = at >= row.audioStart && at < row.audioEnd;
    ASSERT_EQ(sent[at], audio ? ReverseBits(original[at]) : original[at]) << at;
  }
}

// The RIFF chunk holds bytes after the audio, one of them set.
std::vector<std::uint8_t> TrailingBytes() {
  std::vector<std::uint8_t> bytes = Patched(Resized(AlawWav(100), 200), 4, 4, 192);
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
