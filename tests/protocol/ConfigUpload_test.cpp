// The configuration upload against a scripted gateway on virtual time
// (refusals and time-outs: Transfers_test).
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "config/ImageLayout.h"
#include "protocol/TransferScript.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::AddressOf;
using test::AddressReply;
using test::ElementData;
using test::RecordedNotification;
using test::ReplyWith;

constexpr std::uint8_t kGarbage = 0x3C;

using test::DenseImage;

struct Block {
  std::uint32_t address;
  std::vector<std::uint8_t> data;
};

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
  std::vector<Block> Blocks() const {
    std::vector<Block> blocks;
    for (const auto& sent : host.sent) {
      if (test::MainElement(sent.message) != ie::ConfigWriteData) continue;
      blocks.push_back({AddressOf(sent.message).value_or(0), ElementData(sent.message, ie::ConfigWriteData)});
    }
    return blocks;
  }
};

TEST_F(ConfigUpload, StartPreparesTheImage) {
  ConfigurationImage image = DenseImage();
  image.Fill(0, 6, kGarbage);
  ASSERT_TRUE(engine.StartUpload(image));
  const ConfigurationImage& sending = engine.configTransfer().image();
  EXPECT_TRUE(HasSignature(sending));
  EXPECT_EQ(sending.Range(0, 6).size(), 6u);
  for (std::uint8_t byte : sending.Range(0, 6)) EXPECT_EQ(byte, layout::kUnset);
  EXPECT_EQ(sending.Byte(6), image.Byte(6));
}

TEST_F(ConfigUpload, ImageUnsetAfterOffset200GoesStraightToTheStop) {
  ConfigurationImage image;      // every byte 0xFF ...
  image.Fill(6, 194, kGarbage);  // ... but offsets 6 to 199
  StartAccepted(image);

  ASSERT_EQ(Blocks().size(), 1u);
  EXPECT_EQ(Blocks()[0].data.size(), 208u);
  EXPECT_TRUE(host.Logged("Skip 29124 B"));
  Receive(AddressReply(kConfigBaseAddress));

  EXPECT_TRUE(StopSent());
  EXPECT_EQ(Blocks().size(), 1u);
}

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

TEST_F(ConfigUpload, ConfirmingTheLastBlockSendsTheStopWhoseAnswerEndsTheUploadAndAwaitsTheRestart) {
  StartAccepted(DenseImage());
  ConfirmBlocks();

  ASSERT_TRUE(StopSent());
  const DeviceMessage& stop = host.sent.back().message;
  EXPECT_EQ(ElementData(stop, ie::ConfigWriteStop), std::vector<std::uint8_t>{0x00});
  EXPECT_FALSE(FindElement(stop, ie::Password).has_value());
  EXPECT_TRUE(host.Logged("Stop data upload"));
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::UploadProgress, 100, false}));
  EXPECT_EQ(host.TimerDelay(), WriteTimeout());
  EXPECT_EQ(engine.retries(), 0);

  host.ClearRecords();
  Receive(ReplyWith({{ie::ConfigWriteStop, {}}}));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::UploadResult, 1, false},
                                                                   {Notification::LinkClosed, 0, false}}));
  EXPECT_TRUE(host.Logged("Data upload done"));
  EXPECT_EQ(host.linkCloses, 1);
  EXPECT_EQ(engine.state(), EngineState::WriteWaitFirmware);
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutSwitchToFirmware));

  host.link = LinkState::Open;  // the gateway's port is back
  clock.Advance(milliseconds(settings.communicationTimeoutSwitchToFirmware));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::UploadResult, 1, false},
                                                                   {Notification::LinkClosed, 0, false},
                                                                   {Notification::LinkClosed, 0, false},
                                                                   {Notification::UploadResult, 1, false}}));
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::LoaderVersion});
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
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
