// The simulated gateway's announcement memory.
#include "sim/GatewayAnnouncements.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko::sim {
namespace {

using Kind = GatewayAnnouncements::BlockAnswer::Kind;

constexpr std::size_t kBlock = GatewayAnnouncements::kMaxBlockBytes;

class Announcements : public ::testing::Test {
 protected:
  Announcements() {
    memory.SetOutputFolder(folder.path());
    memory.SetErasingAnswers(0);
    memory.Begin(AnnouncementKind::Incoming);
  }

  // Sends `bytes` from `from` on in blocks, bits of the audio reversed as the utility sends them.
  void SendFrom(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    const WavLayout layout = CheckWavHeader(bytes).layout;
    for (std::size_t at = from; at < bytes.size(); at += kBlock) {
      std::vector<std::uint8_t> block(bytes.begin() + at, bytes.begin() + std::min(at + kBlock, bytes.size()));
      ReverseAudioBits(block, at, layout);
      block.resize((block.size() + 7) / 8 * 8, 0xFF);
      ASSERT_EQ(memory.Block(static_cast<std::uint32_t>(at), block).kind, Kind::Acknowledged) << at;
    }
  }

  const test::TempFolder folder;
  GatewayAnnouncements memory;
  const std::vector<std::uint8_t> wav = test::AlawWav(301);  // 359 bytes: the last block is padded
};

// The stored file is written out under its kind's name as well. The last
// block and the stop come again when their answers were lost.
TEST_F(Announcements, CommitStoresTheFileWithoutPaddingAndWithItsAudioTurnedBack) {
  SendFrom(wav, 0);
  SendFrom(wav, 2 * kBlock);
  ASSERT_TRUE(memory.Commit());
  EXPECT_EQ(memory.Stored(AnnouncementKind::Incoming), wav);
  std::ifstream written(folder / (std::string(AnnouncementKindName(AnnouncementKind::Incoming)) + ".wav"), std::ios::binary);
  EXPECT_EQ((std::vector<std::uint8_t>{std::istreambuf_iterator<char>(written), {}}), wav);
  EXPECT_TRUE(memory.Commit());
  EXPECT_FALSE(memory.Receiving());
}

TEST_F(Announcements, BlockAtAnotherAddressIsAnsweredWithTheExpectedOneAndGarbageIsNotStored) {
  std::vector<std::uint8_t> block(kBlock, 0x42);
  ASSERT_EQ(memory.Block(0, block).kind, Kind::Acknowledged);
  const auto answer = memory.Block(0x300, block);
  EXPECT_EQ(answer.kind, Kind::Acknowledged);
  EXPECT_EQ(answer.address, kBlock);
  EXPECT_FALSE(memory.Commit());
  EXPECT_TRUE(memory.Stored(AnnouncementKind::Incoming).empty());
}

TEST_F(Announcements, BlocksTheGatewayDoesNotWriteAreRefused) {
  for (std::size_t length : {kBlock + 8, std::size_t{12}, std::size_t{0}}) {
    EXPECT_EQ(memory.Block(0, std::vector<std::uint8_t>(length)).kind, Kind::Refused) << length;
  }
  GatewayAnnouncements idle;
  EXPECT_EQ(idle.Block(0, std::vector<std::uint8_t>(kBlock)).kind, Kind::Refused);
  EXPECT_FALSE(idle.Commit());
}

TEST(AnnouncementErasing, EachSectorsFirstBlockWaitsForItsErasure) {
  GatewayAnnouncements memory;
  memory.SetErasingAnswers(2);
  memory.Begin(AnnouncementKind::Outgoing);
  const std::vector<std::uint8_t> block(kBlock, 0x11);
  std::string answers;  // E: erasing, A: acknowledged, R: refused
  for (std::uint32_t at = 0; at < 2 * GatewayAnnouncements::kEraseSectorBytes && answers.size() < 100;) {
    const Kind kind = memory.Block(at, block).kind;
    answers += kind == Kind::Erasing ? 'E' : kind == Kind::Acknowledged ? 'A' : 'R';
    if (kind == Kind::Acknowledged) at += kBlock;
  }
  // 32 blocks fill a sector: the 33rd opens the second.
  const std::string sector = "EE" + std::string(32, 'A');
  EXPECT_EQ(answers, sector + sector);
  EXPECT_EQ(memory.ErasingAnswered(), 4);
}

}  // namespace
}  // namespace tusko::sim
