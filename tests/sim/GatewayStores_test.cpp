// The simulated gateway's stores the utility transfers whole: the call detail
// records it downloads and the announcement memory it uploads into.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "sim/GatewayAnnouncements.h"
#include "sim/GatewayCdrStore.h"
#include "sim/GatewayScript.h"
#include "support/RowName.h"
#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko::sim {
namespace {

// ---- Call detail records ----

using test::Number32;

DeviceMessage FirstRequest() { return test::Ask(ie::CdrData); }

DeviceMessage Acknowledge(std::uint8_t length, std::uint32_t position) {
  return test::Ask({{ie::CdrData, {length}}, {ie::CdrAddress, Number32(position)}});
}

struct Chunk {
  std::size_t length;
  std::optional<std::uint32_t> position;
  bool operator==(const Chunk&) const = default;
};

Chunk ChunkOf(const DeviceMessage& reply) {
  const auto data = FindElement(reply, ie::CdrData);
  const auto address = FindElement(reply, ie::CdrAddress);
  return {data ? data->data.size() : 0, address ? ReadNumber32(*address) : std::nullopt};
}

TEST(GatewayCdrStore, SendsChunksAtTheirPositionsAcrossTheWrap) {
  GatewayCdrStore store;
  store.Fill(4, 0x7FFFC0);
  EXPECT_EQ(ChunkOf(store.Answer(FirstRequest())), (Chunk{192, 0x7FFFC0}));
  EXPECT_EQ(ChunkOf(store.Answer(Acknowledge(192, 0x7FFFC0))), (Chunk{64, 0x80}));
  EXPECT_EQ(store.Remaining(), 1u);
  EXPECT_EQ(ChunkOf(store.Answer(Acknowledge(64, 0x80))), (Chunk{0, std::nullopt}));
  EXPECT_EQ(store.Remaining(), 0u);
}

struct KeepRow {
  const char* name;
  DeviceMessage request;
  int failures;
  int lostRecords;  // as the last store failure named them
};

class GatewayCdrStoreKeeps : public ::testing::TestWithParam<KeepRow> {};

// Whatever does not acknowledge the chunk sent last gets that chunk again.
TEST_P(GatewayCdrStoreKeeps, TheChunkUntilItIsAcknowledged) {
  GatewayCdrStore store;
  store.Fill(5, 0x100);
  store.Answer(FirstRequest());
  EXPECT_EQ(ChunkOf(store.Answer(GetParam().request)), (Chunk{192, 0x100}));
  EXPECT_EQ(store.Remaining(), 5u);
  EXPECT_EQ(store.StoreFailures(), GetParam().failures);
  EXPECT_EQ(store.LastFailureCount(), GetParam().lostRecords);
}

DeviceMessage StoreFailed(std::initializer_list<test::TestElement> chunk, std::uint8_t lost) {
  DeviceMessage reject = test::SealedMessage(MessageType::Reject, chunk);
  AddElement(reject, ie::Cause, std::vector<std::uint8_t>{cause::CdrStoreFailed, lost});
  SealMessage(reject);
  return reject;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GatewayCdrStoreKeeps,
    ::testing::Values(KeepRow{"FirstRequestAgain", FirstRequest(), 0, 0},
                      KeepRow{"WrongLength", Acknowledge(64, 0x100), 0, 0},
                      KeepRow{"WrongPosition", Acknowledge(192, 0x140), 0, 0},
                      KeepRow{"StoreFailedNamingIt", StoreFailed({{ie::CdrData, {192}}, {ie::CdrAddress, Number32(0x100)}}, 3), 1, 3},
                      KeepRow{"StoreFailedInTheFirstForm", StoreFailed({{ie::CdrData, {}}}, 2), 1, 2}),
    test::RowName<KeepRow>);

TEST(GatewayCdrStore, RestartOnDemandOnceAfterTakingTheAcknowledgement) {
  GatewayCdrStore store;
  store.Fill(6, 0);
  store.Answer(FirstRequest());
  store.RestartOnNextRequest();
  const DeviceMessage restart = store.Answer(Acknowledge(192, 0));
  EXPECT_EQ(test::RejectCause(restart), cause::CdrRestart);
  EXPECT_EQ(store.Remaining(), 3u);
  EXPECT_EQ(ChunkOf(store.Answer(FirstRequest())).position, 0xC0u);
}

// ---- Announcements ----

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
