// The simulated gateway's call detail record store.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "sim/GatewayCdrStore.h"
#include "sim/GatewayScript.h"
#include "support/RowName.h"

namespace tusko::sim {
namespace {

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

}  // namespace
}  // namespace tusko::sim
