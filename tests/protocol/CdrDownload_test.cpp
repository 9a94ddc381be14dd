// The CDR download against a scripted gateway on virtual time (refusals and
// time-outs: Transfers_test).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <vector>

#include "protocol/TransferScript.h"
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

class CdrDownload : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  CdrDownload() {
    settings.communicationTimeoutDataWrite = kWriteTimeoutMs;
    OperationsOf(engine).SetState(EngineState::Idle);
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

  test::MemoryCdrStore store;
};

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
  Receive(test::CdrChunkReply(row.lastPosition, row.lastLength));
  host.ClearRecords();
  Receive(test::CdrChunkReply(row.address, row.length));
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
  Receive(test::CdrChunkReply(0, 192));
  store.failures = 3;
  for (int attempt = 0; attempt < 3; ++attempt) {
    host.ClearRecords();
    Receive(test::CdrChunkReply(0xC0, 192));
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

// A refused first chunk is rejected in the first request's form; the same
// chunk, stored when it comes again, is acknowledged as usual.
TEST_F(CdrDownload, RefusedFirstChunkIsAskedForInTheFirstRequestFormThenAcknowledged) {
  Start();
  store.failures = 1;
  Receive(test::CdrChunkReply(0x200, 100));
  EXPECT_EQ(LastSent().type(), static_cast<std::uint8_t>(MessageType::Reject));
  EXPECT_TRUE(ElementData(LastSent(), ie::CdrData).empty());
  EXPECT_FALSE(FindElement(LastSent(), ie::CdrAddress).has_value());
  EXPECT_EQ(ElementData(LastSent(), ie::Cause), (Bytes{cause::CdrStoreFailed, 2}));
  Receive(test::CdrChunkReply(0x200, 100));
  ExpectAcknowledged(0x200, 100);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(store.chunks.size(), 1u);
}

}  // namespace
}  // namespace tusko
