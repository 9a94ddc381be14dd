// The configuration upload against a scripted gateway on virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <vector>

#include "config/ImageLayout.h"
#include "protocol/ConfigTransferTestScript.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"

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

TEST_F(ConfigUpload, StartAsksForTheImageSizeAndPreparesTheImage) {
  ConfigurationImage image = DenseImage();
  image.Fill(0, 6, kGarbage);
  engine.SetLoginPassword("tusk");
  ASSERT_TRUE(engine.StartUpload(image));

  ASSERT_EQ(host.sent.size(), 1u);
  const DeviceMessage& request = host.sent[0].message;
  EXPECT_EQ(ElementData(request, ie::ConfigWriteStart), (std::vector<std::uint8_t>{0x00, 0x00, 0x72, 0x94}));
  EXPECT_EQ(AddressOf(request), kConfigBaseAddress);
  EXPECT_EQ(ElementData(request, ie::Password), (std::vector<std::uint8_t>{'t', 'u', 's', 'k', 0}));
  EXPECT_EQ(engine.state(), EngineState::WriteStarting);
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::UploadStarted, 0, false}}));
  EXPECT_TRUE(host.Logged("Start data upload"));
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutDataWriteStart));

  const ConfigurationImage& sending = engine.configTransfer().image();
  EXPECT_TRUE(HasSignature(sending));
  EXPECT_EQ(sending.Range(0, 6).size(), 6u);
  for (std::uint8_t byte : sending.Range(0, 6)) EXPECT_EQ(byte, layout::kUnset);
  EXPECT_EQ(sending.Byte(6), image.Byte(6));
}

TEST_F(ConfigUpload, BlocksFollowTheImageAndNeverCrossAFlashPage) {
  StartAccepted(DenseImage());
  ConfirmBlocks();

  const std::vector<Block> blocks = Blocks();
  const ConfigurationImage& sending = engine.configTransfer().image();
  std::size_t offset = 0;
  for (const Block& block : blocks) {
    ASSERT_EQ(block.address, ConfigDeviceAddress(offset));
    EXPECT_FALSE(CrossesFlashPage(block.address, block.data.size())) << offset;
    EXPECT_EQ(block.data.size() % kWriteGranuleBytes, 0u);
    const std::size_t carried = std::min(block.data.size(), kConfigImageSize - offset);
    const auto expected = sending.Range(offset, carried);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), block.data.begin())) << offset;
    offset += block.data.size();
  }
  EXPECT_GE(offset, kConfigImageSize);

  const auto at832 =
      std::find_if(blocks.begin(), blocks.end(), [](const Block& b) { return b.address == ConfigDeviceAddress(832); });
  ASSERT_NE(at832, blocks.end());
  EXPECT_EQ(at832->data.size(), 192u);

  ASSERT_FALSE(blocks.empty());
  EXPECT_EQ(blocks.back().address, ConfigDeviceAddress(kConfigImageSize - 36));
  ASSERT_EQ(blocks.back().data.size(), 40u);
  EXPECT_EQ(std::vector<std::uint8_t>(blocks.back().data.end() - 4, blocks.back().data.end()),
            std::vector<std::uint8_t>(4, layout::kUnset));
}

TEST_F(ConfigUpload, ConfirmingTheLastBlockSendsTheStop) {
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

TEST_F(ConfigUpload, ConfirmedStopEndsTheUploadAndAwaitsTheRestart) {
  StartAccepted(DenseImage());
  ConfirmBlocks();
  host.ClearRecords();
  Receive(ReplyWith({{ie::ConfigWriteStop, {}}}));

  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::UploadResult, 1, false}}));
  EXPECT_TRUE(host.Logged("Data upload done"));
  EXPECT_EQ(host.linkCloses, 1);
  EXPECT_EQ(engine.state(), EngineState::WriteWaitFirmware);
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutSwitchToFirmware));

  host.link = LinkState::Open;  // the gateway's port is back
  clock.Advance(milliseconds(settings.communicationTimeoutSwitchToFirmware));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::UploadResult, 1, false},
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

// ---- Restart into the loader for the write ----

class ConfigUploadViaLoader : public ConfigUpload {
 protected:
  void ReceiveResetAnswer() {
    ASSERT_TRUE(engine.StartUpload(DenseImage()));
    Receive(ReplyWith({{ie::Reset, {}}}));
    host.ClearRecords();
  }
  DeviceMessage LoaderStarted() {
    return test::EventWith({{ie::LoaderStarted, {}}, test::TextElement(ie::LoaderVersion, "0.9")});
  }
};

TEST_F(ConfigUploadViaLoader, ResetAnswerClosesTheLinkAndWaits) {
  ASSERT_TRUE(engine.StartUpload(DenseImage()));
  engine.SetRetries(1);
  Receive(ReplyWith({{ie::Reset, {}}}));

  EXPECT_EQ(engine.state(), EngineState::WriteWaitLoader);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(host.link, LinkState::Closed);
  EXPECT_EQ(host.CountOf(Notification::LinkClosed, 0), 1);
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutSwitchToLoader));
}

TEST_F(ConfigUploadViaLoader, LoaderStartEventLeadsToTheStartAgain) {
  ReceiveResetAnswer();
  host.link = LinkState::Open;  // the serial port is back
  Receive(LoaderStarted());

  EXPECT_EQ(engine.state(), EngineState::WriteStarting);
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::ConfigWriteStart});
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_FALSE(engine.HasPending(SwitchToFirmwareSent));
  EXPECT_EQ(engine.deviceInformation().system.loaderVersion, "0.9");
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutDataWriteStart));
}

TEST_F(ConfigUploadViaLoader, WaitOverReconnectsAndStartsAgain) {
  ReceiveResetAnswer();
  host.type = LinkType::Tcp;
  clock.Advance(milliseconds(settings.communicationTimeoutSwitchToLoader));

  EXPECT_EQ(host.reopens, 1);
  EXPECT_EQ(engine.state(), EngineState::WriteStarting);
  EXPECT_EQ(host.CountOf(Notification::LinkClosed, 0), 1);
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::ConfigWriteStart});
}

// ---- Refusals ----

struct RefusalRow {
  const char* name;
  bool writing;  // refused while blocks are sent, else while the start is awaited
  std::uint8_t cause;
  std::vector<std::optional<std::string>> passwords;
  std::vector<RecordedNotification> expected;
  EngineState endState;
  std::uint8_t repeated;  // what goes out again, 0 for nothing
  friend void PrintTo(const RefusalRow& row, std::ostream* out) { *out << row.name; }
};

class ConfigUploadRefusal : public ConfigUpload, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(ConfigUploadRefusal, FollowsTheNegativeReplyRule) {
  const RefusalRow& row = GetParam();
  host.passwordAnswers.assign(row.passwords.begin(), row.passwords.end());
  if (row.writing) {
    StartAccepted(DenseImage());
  } else {
    ASSERT_TRUE(engine.StartUpload(DenseImage()));
  }
  host.ClearRecords();
  Receive(test::RejectWith({row.cause}));

  std::vector<RecordedNotification> notifications;
  std::copy_if(host.notifications.begin(), host.notifications.end(), std::back_inserter(notifications),
               [](const auto& n) { return n.code != Notification::UploadStarted; });
  EXPECT_EQ(notifications, row.expected);
  EXPECT_EQ(engine.state(), row.endState);
  if (row.repeated == 0) {
    EXPECT_TRUE(host.sent.empty());
  } else {
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(test::MainElement(host.sent[0].message), row.repeated);
    EXPECT_EQ(AddressOf(host.sent[0].message), kConfigBaseAddress);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, ConfigUploadRefusal,
    ::testing::Values(
        RefusalRow{"StartPasswordGiven", false, cause::PasswordRequired, {"tusk"}, {}, EngineState::WriteStarting, ie::ConfigWriteStart},
        RefusalRow{"StartPasswordRefused", false, cause::PasswordRequired, {std::nullopt}, {{Notification::UploadResult, 5, false}}, EngineState::Idle, 0},
        RefusalRow{"StartNotAllowed", false, cause::NotAllowed, {}, {{Notification::NotAllowed, 0, false}}, EngineState::Idle, 0},
        RefusalRow{"BlockPasswordGiven", true, cause::PasswordRequired, {"tusk"}, {}, EngineState::Writing, ie::ConfigWriteData},
        RefusalRow{"BlockOtherCauseRepeats", true, 0x01, {}, {}, EngineState::Writing, ie::ConfigWriteData},
        RefusalRow{"BlockPasswordRefused", true, cause::PasswordRequired, {std::nullopt}, {{Notification::UploadResult, 5, false}}, EngineState::Idle, 0}),
    test::RowName<RefusalRow>);

}  // namespace
}  // namespace tusko
