// The CDR download against a scripted gateway on virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "protocol/ConfigTransferTestScript.h"
#include "protocol/engine/CdrRecordStore.h"
#include "protocol/engine/CdrTransfer.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::ElementData;
using test::Number32;
using test::RecordedNotification;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kWriteTimeoutMs = 5000;

// A record store that keeps the chunks in memory and fails when told to.
class MemoryStore final : public CdrRecordStore {
 public:
  bool StoreChunk(std::span<const std::uint8_t> chunk) override {
    ++offered;
    if (failures > 0) {
      --failures;
      return false;
    }
    if (!chunk.empty()) chunks.emplace_back(chunk.begin(), chunk.end());
    records += static_cast<std::uint32_t>(chunk.size() / kCdrRecordBytes);
    return true;
  }
  std::uint32_t RecordCount() const override { return records; }
  void Close() override { ++closes; }

  int failures = 0;
  int offered = 0;
  int closes = 0;
  std::uint32_t records = 0;
  std::vector<Bytes> chunks;
};

DeviceMessage ChunkReply(std::uint32_t address, std::size_t length) {
  return test::ReplyWith({{ie::CdrData, Bytes(length, 0x01)}, {ie::CdrAddress, Number32(address)}});
}

DeviceMessage EmptyReply() { return test::ReplyWith({{ie::CdrData, {}}}); }

class CdrDownload : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  CdrDownload() {
    settings.communicationTimeoutDataWrite = kWriteTimeoutMs;
    engine.SetState(EngineState::Idle);
    engine.SetLoginPassword("pw");
  }

  void Start() {
    ASSERT_TRUE(engine.StartCdrDownload(store));
    host.ClearRecords();
  }
  const DeviceMessage& LastSent() const { return host.sent.back().message; }
  // The last request acknowledges this chunk, as a plain Request.
  void ExpectAcknowledged(std::uint32_t address, std::uint8_t length) const {
    ASSERT_FALSE(host.sent.empty());
    EXPECT_EQ(LastSent().type(), static_cast<std::uint8_t>(MessageType::Request));
    EXPECT_EQ(ElementData(LastSent(), ie::CdrData), Bytes{length});
    EXPECT_EQ(ElementData(LastSent(), ie::CdrAddress), Number32(address));
    EXPECT_FALSE(FindElement(LastSent(), ie::Cause).has_value());
  }
  bool EverNamed(std::uint32_t address) const {
    return std::any_of(host.sent.begin(), host.sent.end(), [address](const test::SentMessage& sent) {
      return ElementData(sent.message, ie::CdrAddress) == Number32(address);
    });
  }

  MemoryStore store;
};

TEST_F(CdrDownload, FirstRequestCarriesOnlyAnEmptyCdrDataAndThePassword) {
  ASSERT_TRUE(engine.StartCdrDownload(store));
  ASSERT_EQ(host.sent.size(), 1u);
  const DeviceMessage& request = LastSent();
  EXPECT_EQ(request.type(), static_cast<std::uint8_t>(MessageType::Request));
  ASSERT_TRUE(FindElement(request, ie::CdrData).has_value());
  EXPECT_TRUE(ElementData(request, ie::CdrData).empty());
  EXPECT_FALSE(FindElement(request, ie::CdrAddress).has_value());
  EXPECT_EQ(ElementData(request, ie::Password), (Bytes{'p', 'w', 0}));
  EXPECT_EQ(host.linkQueries, 1);
  EXPECT_TRUE(host.Logged("Start CDR download"));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::DownloadStarted, 0, false}}));
  EXPECT_EQ(engine.state(), EngineState::CdrReading);
  EXPECT_EQ(host.TimerDelay(), milliseconds(kWriteTimeoutMs));
}

TEST_F(CdrDownload, NoLinkNoStart) {
  host.linkAnswers = {false};
  EXPECT_FALSE(engine.StartCdrDownload(store));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(engine.state(), EngineState::Idle);
}

TEST_F(CdrDownload, EachRequestAcknowledgesTheChunkBefore) {
  Start();
  Receive(ChunkReply(0x100, 192));
  ExpectAcknowledged(0x100, 192);
  EXPECT_EQ(host.TimerDelay(), milliseconds(kWriteTimeoutMs));
  Receive(ChunkReply(0x1C0, 64));
  ExpectAcknowledged(0x1C0, 64);
  EXPECT_EQ(store.chunks.size(), 2u);
  EXPECT_EQ(engine.cdrTransfer().chunks(), 2u);
  EXPECT_EQ(engine.retries(), 0);
}

TEST_F(CdrDownload, EmptyChunkWithNothingStoredEndsWithNoNewRecords) {
  Start();
  Receive(EmptyReply());
  EXPECT_TRUE(host.Logged("No new CDR records"));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::CdrResult, 1, false}}));
  EXPECT_EQ(store.closes, 1);
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_TRUE(host.sent.empty());
}

TEST_F(CdrDownload, EmptyChunkAfterRecordsCountsThem) {
  Start();
  Receive(ChunkReply(0, 192));
  Receive(EmptyReply());
  EXPECT_TRUE(host.Logged("Got 3 CDR records"));
  EXPECT_EQ(host.CountOf(Notification::CdrResult, 1), 1);
}

TEST_F(CdrDownload, ChunkWithoutAddressIsIgnored) {
  Start();
  Receive(test::ReplyWith({{ie::CdrData, Bytes(64, 1)}}));
  EXPECT_TRUE(host.Logged("Address missing"));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.TimerRunning());
  EXPECT_EQ(store.offered, 0);
}

struct WrapRow {
  const char* name;
  std::uint32_t lastPosition;
  std::size_t lastLength;
  std::uint32_t address;
  std::size_t length;
  bool accepted;
};

class CdrDownloadWrap : public CdrDownload, public ::testing::WithParamInterface<WrapRow> {};

TEST_P(CdrDownloadWrap, TakesOnlyTheNextChunk) {
  const WrapRow& row = GetParam();
  Start();
  Receive(ChunkReply(row.lastPosition, row.lastLength));
  host.ClearRecords();
  Receive(ChunkReply(row.address, row.length));
  if (row.accepted) {
    ExpectAcknowledged(row.address, static_cast<std::uint8_t>(row.length));
    EXPECT_EQ(store.chunks.size(), 2u);
  } else {
    char line[32];
    std::snprintf(line, sizeof line, "Invalid address (%08X)", static_cast<unsigned>(row.address));
    EXPECT_TRUE(host.Logged(line));
    EXPECT_TRUE(host.sent.empty());
    EXPECT_TRUE(host.TimerRunning());
    EXPECT_EQ(store.chunks.size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CdrDownloadWrap,
    ::testing::Values(WrapRow{"AcrossTheWrap", 0x7FFFF0, 32, 0x10, 32, true},
                      WrapRow{"BelowWithoutWrap", 0x20, 32, 0x10, 32, false},
                      WrapRow{"ShortChunkRightAfterTheWrap", 0x7FFF40, 192, 0, 64, true},
                      WrapRow{"BeyondTheWrappedEnd", 0x7FFFF0, 32, 0x20, 32, false},
                      WrapRow{"SameChunkAgain", 0x100, 192, 0x100, 192, false},
                      WrapRow{"StaleChunkBeforeTheWrap", 0x7FFF40, 192, 0x7FFF00, 64, false},
                      WrapRow{"FurtherOn", 0x100, 192, 0x1C0, 64, true},
                      WrapRow{"GapFurtherOn", 0x100, 64, 0x400, 64, true}),
    test::RowName<WrapRow>);

TEST_F(CdrDownload, CdrRestartStartsOverWithTheFirstRequestForm) {
  Start();
  Receive(ChunkReply(0x40, 64));
  host.ClearRecords();
  Receive(test::RejectWith({cause::CdrRestart}));
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_TRUE(ElementData(LastSent(), ie::CdrData).empty());
  EXPECT_FALSE(FindElement(LastSent(), ie::CdrAddress).has_value());
  EXPECT_EQ(host.linkQueries, 1);
  EXPECT_EQ(engine.state(), EngineState::CdrReading);
  EXPECT_EQ(store.closes, 0);
  // The first chunk of the new round is taken wherever it lies.
  Receive(ChunkReply(0x10, 64));
  ExpectAcknowledged(0x10, 64);
}

TEST_F(CdrDownload, CdrRestartWithoutLinkEndsTheDownload) {
  Start();
  host.linkAnswers = {false};
  Receive(test::RejectWith({cause::CdrRestart}));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(store.closes, 1);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 1);
  EXPECT_NE(engine.state(), EngineState::CdrReading);
}

// A chunk the store refuses is asked for again by a Reject that tells the
// gateway how many records were lost; the Reject names only the chunk stored
// before it, never the refused one, so the gateway cannot take it for a release.
TEST_F(CdrDownload, RefusedChunkIsRequestedAgainAndNeverAcknowledged) {
  Start();
  Receive(ChunkReply(0, 192));
  store.failures = 3;
  for (int attempt = 0; attempt < 3; ++attempt) {
    host.ClearRecords();
    Receive(ChunkReply(0xC0, 192));
    EXPECT_TRUE(host.Logged("CDR download error"));
    if (attempt < 2) {
      ASSERT_EQ(host.sent.size(), 1u) << attempt;
      EXPECT_EQ(LastSent().type(), static_cast<std::uint8_t>(MessageType::Reject));
      EXPECT_EQ(ElementData(LastSent(), ie::Cause), (Bytes{cause::CdrStoreFailed, 3}));
      EXPECT_EQ(ElementData(LastSent(), ie::CdrData), Bytes{192});
      EXPECT_EQ(ElementData(LastSent(), ie::CdrAddress), Number32(0));
      EXPECT_EQ(ElementData(LastSent(), ie::Password), (Bytes{'p', 'w', 0}));
      EXPECT_EQ(engine.retries(), attempt + 1);
    }
  }
  EXPECT_TRUE(host.sent.empty());
  EXPECT_FALSE(EverNamed(0xC0));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::CdrResult, 2, false}}));
  EXPECT_TRUE(engine.causeText().empty());
  EXPECT_EQ(store.closes, 1);
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_FALSE(host.TimerRunning());
}

TEST_F(CdrDownload, RefusedFirstChunkIsRejectedInTheFirstRequestForm) {
  Start();
  store.failures = 1;
  Receive(ChunkReply(0x200, 100));
  EXPECT_EQ(LastSent().type(), static_cast<std::uint8_t>(MessageType::Reject));
  EXPECT_TRUE(ElementData(LastSent(), ie::CdrData).empty());
  EXPECT_FALSE(FindElement(LastSent(), ie::CdrAddress).has_value());
  EXPECT_EQ(ElementData(LastSent(), ie::Cause), (Bytes{cause::CdrStoreFailed, 2}));
}

TEST_F(CdrDownload, RetriedChunkThatIsStoredIsAcknowledgedAsUsual) {
  Start();
  Receive(ChunkReply(0, 64));
  store.failures = 1;
  Receive(ChunkReply(0x40, 128));
  Receive(ChunkReply(0x40, 128));
  ExpectAcknowledged(0x40, 128);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(store.chunks.size(), 2u);
}

TEST_F(CdrDownload, TimeOutRepeatsThenFailsWithTheFileClosed) {
  Start();
  Receive(ChunkReply(0x80, 64));
  host.ClearRecords();
  clock.Advance(milliseconds(kWriteTimeoutMs));
  ASSERT_EQ(host.sent.size(), 1u);
  ExpectAcknowledged(0x80, 64);
  EXPECT_EQ(engine.retries(), 1);
  clock.Advance(milliseconds(kWriteTimeoutMs));
  EXPECT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(store.closes, 0);
  clock.Advance(milliseconds(kWriteTimeoutMs));
  EXPECT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 1);
  EXPECT_EQ(store.closes, 1);
  EXPECT_EQ(engine.state(), EngineState::Failed);
}

struct RejectRow {
  const char* name;
  std::vector<std::uint8_t> cause;
  std::vector<std::optional<std::string>> passwords;
  std::vector<RecordedNotification> notifications;
  int requestsAfter;  // requests sent after the rejects
};

class CdrDownloadReject : public CdrDownload, public ::testing::WithParamInterface<RejectRow> {};

// The same Reject to every try.
TEST_P(CdrDownloadReject, EndsAsTheNegativeReplyRuleSays) {
  const RejectRow& row = GetParam();
  host.passwordAnswers.assign(row.passwords.begin(), row.passwords.end());
  Start();
  const std::size_t rejects = 3;
  for (std::size_t i = 0; i < rejects && engine.state() == EngineState::CdrReading; ++i) {
    Receive(test::SealedMessage(MessageType::Reject, {{ie::Cause, row.cause}}));
  }
  EXPECT_EQ(host.notifications, row.notifications);
  EXPECT_EQ(static_cast<int>(host.sent.size()), row.requestsAfter);
  EXPECT_EQ(store.closes, 1);
  EXPECT_EQ(engine.state(), EngineState::Idle);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CdrDownloadReject,
    ::testing::Values(RejectRow{"PasswordRefused", {cause::PasswordRequired}, {std::nullopt},
                                {{Notification::CdrResult, 5, false}}, 0},
                      RejectRow{"NotAllowed", {cause::NotAllowed}, {}, {{Notification::NotAllowed, 0, false}}, 0},
                      RejectRow{"OtherCauseThreeTimes", {0x9C, 0x01}, {}, {{Notification::CdrResult, 2, false}}, 2}),
    test::RowName<RejectRow>);

TEST_F(CdrDownload, PasswordGivenRepeatsWithIt) {
  host.passwordAnswers = {"new"};
  Start();
  Receive(test::RejectWith({cause::PasswordRequired}));
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(ElementData(LastSent(), ie::Password), (Bytes{'n', 'e', 'w', 0}));
  EXPECT_EQ(engine.state(), EngineState::CdrReading);
}

TEST_F(CdrDownload, OtherRejectSetsTheCauseText) {
  Start();
  for (int i = 0; i < 3; ++i) Receive(test::RejectWith({0x9C, 0x01}));
  EXPECT_EQ(engine.causeText(), "9C 01");
}

TEST_F(CdrDownload, CancelSendsNothingAndClosesTheFile) {
  Start();
  engine.CancelCdr();
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.Logged("Cancel CDR download"));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::CdrResult, 4, false}}));
  EXPECT_EQ(store.closes, 1);
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_EQ(engine.state(), EngineState::Idle);
  // A late chunk finds the engine idle.
  Receive(ChunkReply(0, 64));
  EXPECT_EQ(store.offered, 0);
}

}  // namespace
}  // namespace tusko
