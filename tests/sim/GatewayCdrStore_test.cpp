// The simulated gateway's call detail record store.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "monitor/CdrFile.h"
#include "protocol/engine/ElementNumbers.h"
#include "sim/GatewayCdrStore.h"
#include "sim/SimulatorOptions.h"
#include "support/RowName.h"
#include "support/TestMessages.h"

namespace tusko::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Number32(std::uint32_t value) {
  const auto bytes = EncodeNumber32(value);
  return {bytes.begin(), bytes.end()};
}

DeviceMessage FirstRequest() { return test::SealedMessage(MessageType::Request, {{ie::CdrData, {}}}); }

DeviceMessage Acknowledge(MessageType type, std::uint8_t length, std::uint32_t position, Bytes cause = {}) {
  if (cause.empty()) return test::SealedMessage(type, {{ie::CdrData, {length}}, {ie::CdrAddress, Number32(position)}});
  return test::SealedMessage(type, {{ie::CdrData, {length}}, {ie::CdrAddress, Number32(position)}, {ie::Cause, cause}});
}

struct Chunk {
  std::size_t length;
  std::optional<std::uint32_t> position;
};

Chunk ChunkOf(const DeviceMessage& reply) {
  const auto data = FindElement(reply, ie::CdrData);
  const auto address = FindElement(reply, ie::CdrAddress);
  return {data ? data->data.size() : 0, address ? ReadNumber32(*address) : std::nullopt};
}

TEST(GatewayCdrStore, GeneratesEveryKindOfRecordTheSameEveryTime) {
  const std::vector<CdrRecord> records = GenerateCdrRecords(kDefaultCdrRecords);
  ASSERT_EQ(records.size(), static_cast<std::size_t>(kDefaultCdrRecords));
  std::set<std::uint16_t> callTypes;
  std::set<std::uint8_t> ports;
  bool emptyCaller = false, emptyCalled = false, fullTexts = false;
  for (const CdrRecord& r : records) {
    callTypes.insert(r.callType);
    ports.insert(r.inPort.type);
    ports.insert(r.outPort.type);
    emptyCaller |= r.callerId.empty();
    emptyCalled |= r.calledNumber.empty();
    fullTexts |= r.callerId.size() + r.calledNumber.size() == 47;
    // What the gateway sends decodes to the very record.
    const auto decoded = DecodeCdrRecord(EncodeCdrRecord(r));
    ASSERT_EQ(decoded.error, CdrError::None);
    EXPECT_EQ(CdrRecordLine(decoded.record, {}, ';'), CdrRecordLine(r, {}, ';'));
  }
  const std::vector<std::uint16_t> known = KnownCdrCallTypes();
  EXPECT_EQ(callTypes, std::set<std::uint16_t>(known.begin(), known.end()));
  EXPECT_EQ(ports, (std::set<std::uint8_t>{kCdrPortPbx, kCdrPortPstn, kCdrPortGsm}));
  EXPECT_TRUE(emptyCaller);
  EXPECT_TRUE(emptyCalled);
  EXPECT_TRUE(fullTexts);
  const std::vector<CdrRecord> again = GenerateCdrRecords(kDefaultCdrRecords);
  EXPECT_TRUE(std::equal(records.begin(), records.end(), again.begin(), [](const CdrRecord& a, const CdrRecord& b) {
    return CdrRecordLine(a, {}, ';') == CdrRecordLine(b, {}, ';');
  }));
}

TEST(GatewayCdrStore, SendsChunksAtTheirPositionsAcrossTheWrap) {
  GatewayCdrStore store;
  store.Fill(4, 0x7FFFC0);
  const Chunk first = ChunkOf(store.Answer(FirstRequest()));
  EXPECT_EQ(first.length, 192u);
  EXPECT_EQ(first.position, 0x7FFFC0u);
  const Chunk second = ChunkOf(store.Answer(Acknowledge(MessageType::Request, 192, 0x7FFFC0)));
  EXPECT_EQ(second.length, 64u);
  EXPECT_EQ(second.position, 0x80u);
  EXPECT_EQ(store.Remaining(), 1u);
  const Chunk end = ChunkOf(store.Answer(Acknowledge(MessageType::Request, 64, 0x80)));
  EXPECT_EQ(end.length, 0u);
  EXPECT_FALSE(end.position.has_value());
  EXPECT_EQ(store.Remaining(), 0u);
}

struct KeepRow {
  const char* name;
  DeviceMessage request;
  int failures;
};

class GatewayCdrStoreKeeps : public ::testing::TestWithParam<KeepRow> {};

// Whatever does not acknowledge the chunk sent last gets that chunk again.
TEST_P(GatewayCdrStoreKeeps, TheChunkUntilItIsAcknowledged) {
  GatewayCdrStore store;
  store.Fill(5, 0x100);
  store.Answer(FirstRequest());
  const Chunk again = ChunkOf(store.Answer(GetParam().request));
  EXPECT_EQ(again.length, 192u);
  EXPECT_EQ(again.position, 0x100u);
  EXPECT_EQ(store.Remaining(), 5u);
  EXPECT_EQ(store.StoreFailures(), GetParam().failures);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GatewayCdrStoreKeeps,
    ::testing::Values(KeepRow{"FirstRequestAgain", FirstRequest(), 0},
                      KeepRow{"WrongLength", Acknowledge(MessageType::Request, 64, 0x100), 0},
                      KeepRow{"WrongPosition", Acknowledge(MessageType::Request, 192, 0x140), 0},
                      KeepRow{"StoreFailedNamingIt",
                              Acknowledge(MessageType::Reject, 192, 0x100, {cause::CdrStoreFailed, 3}), 1}),
    test::RowName<KeepRow>);

TEST(GatewayCdrStore, CountsStoreFailures) {
  GatewayCdrStore store;
  store.Answer(FirstRequest());
  store.Answer(test::SealedMessage(MessageType::Reject, {{ie::CdrData, {}}, {ie::Cause, {cause::CdrStoreFailed, 2}}}));
  EXPECT_EQ(store.StoreFailures(), 1);
  EXPECT_EQ(store.LastFailureCount(), 2);
}

TEST(GatewayCdrStore, RestartOnDemandOnceAfterTakingTheAcknowledgement) {
  GatewayCdrStore store;
  store.Fill(6, 0);
  store.Answer(FirstRequest());
  store.RestartOnNextRequest();
  const DeviceMessage restart = store.Answer(Acknowledge(MessageType::Request, 192, 0));
  EXPECT_EQ(restart.type(), static_cast<std::uint8_t>(MessageType::Reject));
  EXPECT_EQ(FindElement(restart, ie::Cause)->data[0], cause::CdrRestart);
  EXPECT_EQ(store.Remaining(), 3u);
  EXPECT_EQ(ChunkOf(store.Answer(FirstRequest())).position, 0xC0u);
}

struct OptionRow {
  const char* name;
  std::vector<std::string> args;
  bool valid;
  int records;
  std::uint32_t start;
};

class CdrSimulatorOptions : public ::testing::TestWithParam<OptionRow> {};

TEST_P(CdrSimulatorOptions, Parse) {
  const auto parsed = ParseSimulatorOptions(GetParam().args);
  EXPECT_EQ(parsed.error.empty(), GetParam().valid) << parsed.error;
  if (!GetParam().valid) return;
  EXPECT_EQ(parsed.options.cdrRecords, GetParam().records);
  EXPECT_EQ(parsed.options.cdrStart, GetParam().start);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CdrSimulatorOptions,
    ::testing::Values(OptionRow{"Defaults", {}, true, kDefaultCdrRecords, kDefaultCdrStart},
                      OptionRow{"Given", {"--cdr-records", "7", "--cdr-start", "0x7FFFF0"}, true, 7, 0x7FFFF0},
                      OptionRow{"NoRecords", {"--cdr-records", "0"}, true, 0, 0},
                      OptionRow{"StartAtTheWindowEnd", {"--cdr-start", "0x800000"}, false, 0, 0},
                      OptionRow{"MoreThanTheStoreHolds", {"--cdr-records", "131073"}, false, 0, 0},
                      OptionRow{"NotANumber", {"--cdr-records", "many"}, false, 0, 0}),
    test::RowName<OptionRow>);

}  // namespace
}  // namespace tusko::sim
