// The configuration transfers' faults the gateway model does not make (whole images: RoundTrip_test).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "config/ImageLayout.h"
#include "protocol/TransferScript.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::AddressOf;
using test::AddressReply;
using test::ReadReply;
using test::ReplyWith;

constexpr std::uint8_t kFill = 0x11;

using test::DenseImage;

class ConfigDownload : public test::TransferTest {
 protected:
  milliseconds DataTimeout() const { return milliseconds(settings.communicationTimeoutDataRead); }
  std::vector<std::uint32_t> SentAddresses() const {
    std::vector<std::uint32_t> addresses;
    for (const auto& sent : host.sent) addresses.push_back(AddressOf(sent.message).value_or(0));
    return addresses;
  }
};

TEST_F(ConfigDownload, WindowFillsAtTheRequestDelayThenWaitsForData) {
  ASSERT_TRUE(engine.StartDownload());
  for (int i = 0; i < 6; ++i) clock.Advance(Delay());
  const auto limit = settings.dataReadWriteMaxPendingRequests;
  ASSERT_EQ(host.sent.size(), limit);
  for (std::size_t i = 0; i < limit; ++i) EXPECT_EQ(SentAddresses()[i], ConfigDeviceAddress(i * kReadBlockBytes));
  EXPECT_EQ(host.TimerDelay(), DataTimeout());
  EXPECT_EQ(Counters().pendingCount, limit);
}

// A short block would leave a hole that a later write sends back: asked again, the third ends the download.
TEST_F(ConfigDownload, ShortBlockInTheMiddleIsAskedForAgain) {
  settings.dataReadWriteMaxPendingRequests = 1;
  ASSERT_TRUE(engine.StartDownload());
  Receive(ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, kFill)));
  const std::uint32_t second = ConfigDeviceAddress(kReadBlockBytes);
  const std::vector<std::uint8_t> half(kReadBlockBytes / 2, 0x22);
  Receive(ReadReply(second, half));
  EXPECT_TRUE(host.Logged("Data IE too short (64)"));
  EXPECT_EQ(AddressOf(host.sent.back().message), second);
  EXPECT_EQ(engine.retries(), 1);
  EXPECT_EQ(engine.configTransfer().image().Byte(kReadBlockBytes), layout::kUnset);

  Receive(ReadReply(second, std::vector<std::uint8_t>(kReadBlockBytes, 0x33)));
  EXPECT_EQ(AddressOf(host.sent.back().message), ConfigDeviceAddress(2 * kReadBlockBytes));
  EXPECT_EQ(engine.configTransfer().image().Byte(kReadBlockBytes), 0x33);

  for (int i = 0; i < kMaxTries; ++i) Receive(ReadReply(ConfigDeviceAddress(2 * kReadBlockBytes), half));
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 1);
  EXPECT_EQ(host.CountOf(Notification::DownloadResult), 0);
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_FALSE(host.TimerRunning());
}

struct WrongAddressRow {
  const char* name;
  std::vector<std::uint8_t> address;
  std::vector<const char*> lines;
};

class ConfigDownloadWrongAddress : public ConfigDownload, public ::testing::WithParamInterface<WrongAddressRow> {};

TEST_P(ConfigDownloadWrongAddress, IsLoggedAndChangesNothing) {
  ASSERT_TRUE(engine.StartDownload());
  Receive(ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, kFill)));
  const ConfigTransfer::Counters before = Counters();
  host.ClearRecords();

  const std::vector<std::uint8_t> data(kReadBlockBytes, 0x22);
  Receive(test::ReplyWith({{ie::ConfigReadData, data}, {ie::Address, GetParam().address}}));

  EXPECT_EQ(host.logLines, std::vector<std::string>(GetParam().lines.begin(), GetParam().lines.end()));
  EXPECT_EQ(Counters().acknowledgedOffset, before.acknowledgedOffset);
  EXPECT_EQ(Counters().pendingCount, before.pendingCount);
  EXPECT_EQ(engine.configTransfer().image().Byte(kReadBlockBytes), layout::kUnset);
  EXPECT_TRUE(host.TimerRunning());
  EXPECT_TRUE(host.notifications.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, ConfigDownloadWrongAddress,
    ::testing::Values(WrongAddressRow{"Ahead", {0x00, 0x07, 0x01, 0x00}, {"Invalid address (00070100)"}},
                      WrongAddressRow{"Behind", {0x00, 0x07, 0x00, 0x00}, {"Invalid address (00070000)", "Skip"}},
                      WrongAddressRow{"NotFourBytes", {0x07, 0x00, 0x80}, {"Invalid address (FFFFFFFF)"}}),
    test::RowName<WrongAddressRow>);

TEST_F(ConfigDownload, RequestDelayOnTheLastTryIsNoFailure) {
  settings.dataReadWriteMaxPendingRequests = 2;
  ASSERT_TRUE(engine.StartDownload());
  clock.Advance(Delay());  // the window is full
  for (int stall = 0; stall < kMaxRepeats; ++stall) clock.Advance(DataTimeout() + Delay());

  ASSERT_EQ(engine.retries(), kMaxRepeats);
  EXPECT_EQ(engine.state(), EngineState::Reading);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(SentAddresses().back(), ConfigDeviceAddress(kReadBlockBytes));
  EXPECT_EQ(host.TimerDelay(), DataTimeout());
}

// A probe's late version reply answers no read: it is kept and the download goes on.
TEST_F(ConfigDownload, VersionReplyIsKeptAndTheDownloadGoesOn) {
  ASSERT_TRUE(engine.StartDownload());
  Receive(ReplyWith({test::TextElement(ie::FirmwareVersion, "1.2.9")}));
  EXPECT_EQ(engine.deviceInformation().system.firmwareVersion, "1.2.9");
  EXPECT_EQ(engine.state(), EngineState::Reading);
  EXPECT_EQ(Counters().acknowledgedOffset, 0u);
  EXPECT_EQ(host.CountOf(Notification::DownloadResult), 0);
}

TEST_F(ConfigDownload, AnswerAfterAStallIsAcceptedAndResetsTheTries) {
  settings.dataReadWriteMaxPendingRequests = 1;
  ASSERT_TRUE(engine.StartDownload());
  clock.Advance(DataTimeout());
  ASSERT_EQ(engine.retries(), 1);
  // Both the first request's late answer and the repeat's arrive.
  Receive(ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, kFill)));
  Receive(ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, kFill)));

  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(Counters().acknowledgedOffset, kReadBlockBytes);
  EXPECT_EQ(Counters().pendingCount, 1u);
  EXPECT_TRUE(host.Logged("Invalid address (00070000)"));
}

// ---- Upload ----

class ConfigUpload : public test::TransferTest {
 protected:
  milliseconds WriteTimeout() const { return milliseconds(settings.communicationTimeoutDataWrite); }

  // Starts the upload and has the gateway accept it.
  void StartAccepted(const ConfigurationImage& image) {
    ASSERT_TRUE(engine.StartUpload(image));
    Receive(ReplyWith({{ie::ConfigWriteStart, {}}}));
    ASSERT_EQ(engine.state(), EngineState::Writing);
  }
  // Confirms every block as it goes out, until the stop is sent.
  void ConfirmBlocks() {
    test::AnswerUntil(
        *this, [this] { return StopSent() || engine.state() != EngineState::Writing; },
        [](const DeviceMessage& request) { return std::optional(AddressReply(AddressOf(request).value_or(0))); },
        [] { return true; });
  }
  bool StopSent() const {
    return std::any_of(host.sent.begin(), host.sent.end(),
                       [](const auto& s) { return test::MainElement(s.message) == ie::ConfigWriteStop; });
  }
  std::vector<test::SentBlock> Blocks() const { return test::SentBlocks(host, ie::ConfigWriteData); }
};

TEST_F(ConfigUpload, StalledWindowStartsAgainFromTheFirstUnconfirmedBlock) {
  settings.dataReadWriteMaxPendingRequests = 2;
  StartAccepted(DenseImage());
  clock.Advance(Delay());
  Receive(AddressReply(kConfigBaseAddress));  // the window is full: the third block goes out
  host.ClearRecords();
  clock.Advance(WriteTimeout());

  EXPECT_EQ(engine.retries(), 1);
  ASSERT_EQ(Blocks().size(), 1u);
  EXPECT_EQ(Blocks()[0].address, ConfigDeviceAddress(208));
  EXPECT_TRUE(host.notifications.empty());  // a repeat shows no progress
}

TEST_F(ConfigUpload, VersionReplyToTheStopEndsTheUpload) {
  StartAccepted(DenseImage());
  ConfirmBlocks();
  Receive(ReplyWith({test::TextElement(ie::FirmwareVersion, "1.2.9")}));

  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.CountOf(Notification::UploadResult, 1), 1);
  EXPECT_FALSE(host.TimerRunning());
}

}  // namespace
}  // namespace tusko
