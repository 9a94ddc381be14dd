// The firmware update against a scripted gateway on virtual time.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "protocol/FirmwareFile.h"
#include "protocol/engine/ElementNumbers.h"
#include "protocol/engine/FirmwareUpdate.h"
#include "support/FirmwareFiles.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::FirmwareData;
using test::RecordedNotification;
using test::RejectWith;
using test::ReplyWith;
using test::TestSection;

constexpr std::uint32_t kBase = 0x10000;
constexpr std::uint32_t kStrayAddress = 0x12345678;

struct SentBlock {
  std::uint32_t address;
  std::vector<std::uint8_t> data;
};

std::optional<std::uint32_t> FlashAddressOf(const DeviceMessage& message) {
  const auto element = FindElement(message, ie::FlashAddress);
  return element ? ReadNumber32(*element) : std::nullopt;
}

DeviceMessage Acknowledge(std::uint32_t address) {
  const auto bytes = EncodeNumber32(address);
  return ReplyWith({{ie::FlashAddress, {bytes.begin(), bytes.end()}}});
}

DeviceMessage ReplyOf(std::uint8_t element) { return ReplyWith({{element, {}}}); }

class FirmwareUpdate : public test::ScriptedEngine, public testing::Test {
 protected:
  // Opens and checks a file of `sections` in the engine's firmware file.
  void Load(const std::vector<TestSection>& sections) {
    stored_ = std::make_unique<test::TemporaryFile>(test::FirmwareFileBytes(sections));
    FirmwareFile& file = engine.firmwareFile();
    file.SetIdentificationRequired(false);
    ASSERT_TRUE(file.OpenFile(stored_->path()));
    ASSERT_EQ(file.Parse(), FirmwareParseResult::Ok);
  }
  // Starts the update on a loader that is ready at once.
  void StartInLoader(const std::vector<TestSection>& sections) {
    Load(sections);
    ASSERT_TRUE(engine.StartFirmwareUpdate());
    Receive(ReplyOf(ie::FlashStart));
    ASSERT_EQ(engine.state(), EngineState::Flashing);
  }
  std::uint8_t LastSent() const { return test::MainElement(host.sent.back().message); }
  std::vector<SentBlock> Blocks() const {
    std::vector<SentBlock> blocks;
    for (const auto& sent : host.sent) {
      if (test::MainElement(sent.message) != ie::FlashData) continue;
      const auto data = FindElement(sent.message, ie::FlashData)->data;
      blocks.push_back({FlashAddressOf(sent.message).value_or(0), {data.begin(), data.end()}});
    }
    return blocks;
  }
  // Acknowledges every block as it goes out, until something else is sent.
  void AcknowledgeBlocks() {
    while (LastSent() == ie::FlashData) Receive(Acknowledge(*FlashAddressOf(host.sent.back().message)));
  }
  milliseconds Timeout(std::uint32_t ProgramSettings::*setting) const { return milliseconds(settings.*setting); }
  void TimeOut(std::uint32_t ProgramSettings::*setting) { clock.Advance(Timeout(setting)); }
  bool FileClosed() { return !engine.firmwareFile().IsOpen(); }

 private:
  std::unique_ptr<test::TemporaryFile> stored_;
};

TEST_F(FirmwareUpdate, StartAsksForTheLoaderWithThePassword) {
  Load({{kSectionTypeApplication, kBase, FirmwareData(64)}});
  engine.SetLoginPassword("tusk");
  ASSERT_TRUE(engine.StartFirmwareUpdate());

  ASSERT_EQ(host.sent.size(), 1u);
  const DeviceMessage& request = host.sent[0].message;
  EXPECT_EQ(test::MainElement(request), ie::FlashStart);
  EXPECT_EQ(FindElement(request, ie::FlashStart)->data.size(), 1u);
  EXPECT_EQ(FindElement(request, ie::FlashStart)->data[0], kFlashStartValue);
  const auto password = FindElement(request, ie::Password)->data;
  EXPECT_EQ(std::vector<std::uint8_t>(password.begin(), password.end()),
            (std::vector<std::uint8_t>{'t', 'u', 's', 'k', 0}));
  EXPECT_EQ(engine.state(), EngineState::FlashStarting);
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::FirmwareStarted, 0, false}}));
  EXPECT_TRUE(host.Logged("Start firmware update"));
  EXPECT_EQ(host.TimerDelay(), Timeout(&ProgramSettings::communicationTimeoutFlashLoadStart));
}

TEST_F(FirmwareUpdate, NothingStartsWithoutACheckedFile) {
  EXPECT_FALSE(engine.StartFirmwareUpdate());
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.linkQueries, 0);
}

struct BlockRow {
  const char* name;
  std::vector<TestSection> sections;
  std::vector<std::pair<std::uint32_t, std::size_t>> blocks;  // address, bytes sent
  std::vector<const char*> sectionLines;
};

class FirmwareBlocks : public FirmwareUpdate, public testing::WithParamInterface<BlockRow> {};

TEST_P(FirmwareBlocks, BlocksArePaddedAndFollowedByTheStop) {
  const BlockRow& row = GetParam();
  StartInLoader(row.sections);
  AcknowledgeBlocks();

  const std::vector<SentBlock> blocks = Blocks();
  ASSERT_EQ(blocks.size(), row.blocks.size());
  std::vector<std::uint8_t> carried;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(blocks[i].address, row.blocks[i].first) << i;
    EXPECT_EQ(blocks[i].data.size(), row.blocks[i].second) << i;
    carried.insert(carried.end(), blocks[i].data.begin(), blocks[i].data.end());
  }
  std::vector<std::uint8_t> expected;
  for (const TestSection& section : row.sections) {
    expected.insert(expected.end(), section.data.begin(), section.data.end());
    const std::size_t padded = (expected.size() + kFlashBlockGranuleBytes - 1) / kFlashBlockGranuleBytes *
                               kFlashBlockGranuleBytes;
    expected.resize(padded, kFlashPadByte);
  }
  EXPECT_EQ(carried, expected);
  for (const char* line : row.sectionLines) EXPECT_TRUE(host.Logged(line)) << line;

  EXPECT_EQ(LastSent(), ie::FlashStop);
  EXPECT_FALSE(FindElement(host.sent.back().message, ie::Password));
  EXPECT_TRUE(host.Logged("Stop firmware update"));
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::FirmwareProgress, 100, false}));
  EXPECT_EQ(host.TimerDelay(), Timeout(&ProgramSettings::communicationTimeoutFlashLoad));
  EXPECT_EQ(host.CountOf(Notification::FirmwareStarted), 2);  // the start, then the first block
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FirmwareBlocks,
    testing::Values(
        BlockRow{"ThreeHundredBytes",
                 {{kSectionTypeApplication, kBase, FirmwareData(300)}},
                 {{kBase, 208}, {kBase + 208, 96}},
                 {"Loading FLASH block: 00010000 - 0001012B"}},
        BlockRow{"SixteenBytesBeforeAPage",
                 {{kSectionTypeApplication, 0x103F0, FirmwareData(100)}},
                 {{0x103F0, 16}, {0x10400, 88}},
                 {"Loading FLASH block: 000103F0 - 00010453"}},
        BlockRow{"TwoSections",
                 {{kSectionTypeOther, kBase, FirmwareData(20)}, {kSectionTypeApplication, 0x20000, FirmwareData(8)}},
                 {{kBase, 24}, {0x20000, 8}},
                 {"Loading FLASH block: 00010000 - 00010013", "Loading FLASH block: 00020000 - 00020007"}}),
    test::RowName<BlockRow>);

TEST_F(FirmwareUpdate, ProgressFollowsTheBytesSent) {
  StartInLoader({{kSectionTypeApplication, kBase, FirmwareData(400)}});
  AcknowledgeBlocks();
  std::vector<int> progress;
  for (const auto& n : host.notifications) {
    if (n.code == Notification::FirmwareProgress) progress.push_back(n.value);
  }
  EXPECT_EQ(progress, (std::vector<int>{0, 52, 100}));
}

TEST_F(FirmwareUpdate, WrongAcknowledgementIsLoggedAndTheBlockGoesAgainOnTimeOut) {
  StartInLoader({{kSectionTypeApplication, kBase, FirmwareData(300)}});
  const std::size_t sentBefore = host.sent.size();
  const std::size_t notifiedBefore = host.notifications.size();
  Receive(Acknowledge(kStrayAddress));
  EXPECT_TRUE(host.Logged("Acknowledge of invalid address (12345678)"));
  EXPECT_EQ(host.sent.size(), sentBefore);
  EXPECT_EQ(engine.retries(), 0);

  TimeOut(&ProgramSettings::communicationTimeoutFlashLoad);
  ASSERT_EQ(Blocks().size(), 2u);
  EXPECT_EQ(Blocks()[1].address, kBase);
  EXPECT_EQ(Blocks()[1].data, Blocks()[0].data);
  EXPECT_EQ(engine.retries(), 1);
  EXPECT_EQ(host.notifications.size(), notifiedBefore);  // a repeat shows no progress
}

TEST_F(FirmwareUpdate, CancelIgnoresAcknowledgementsUntilTheLoaderConfirms) {
  StartInLoader({{kSectionTypeApplication, kBase, FirmwareData(300)}});
  engine.CancelFirmwareUpdate();
  EXPECT_EQ(LastSent(), ie::FlashCancel);
  EXPECT_TRUE(host.Logged("Cancel firmware update"));
  EXPECT_TRUE(engine.HasPending(FlashCancelPending));

  const std::size_t sentBefore = host.sent.size();
  Receive(Acknowledge(kBase));
  EXPECT_EQ(host.sent.size(), sentBefore);
  EXPECT_EQ(engine.state(), EngineState::Flashing);

  TimeOut(&ProgramSettings::communicationTimeoutFlashLoad);  // the cancel is what goes again
  EXPECT_EQ(LastSent(), ie::FlashCancel);

  Receive(ReplyOf(ie::FlashCancel));
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::FirmwareResult, 4, false}));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_FALSE(engine.HasPending(FlashCancelPending));
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_TRUE(FileClosed());
}

TEST_F(FirmwareUpdate, CancelWithoutAnUpdateSendsNothing) {
  engine.SetState(EngineState::Idle);
  engine.CancelFirmwareUpdate();
  EXPECT_TRUE(host.sent.empty());
}

TEST_F(FirmwareUpdate, StopAcknowledgedFollowsTheNewFirmware) {
  StartInLoader({{kSectionTypeApplication, kBase, FirmwareData(16)}});
  AcknowledgeBlocks();
  Receive(ReplyOf(ie::FlashStop));
  EXPECT_EQ(host.CountOf(Notification::FirmwareResult, 1), 1);
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::LinkClosed, 0, false}));
  EXPECT_EQ(host.linkCloses, 1);
  EXPECT_EQ(engine.state(), EngineState::WaitFirmware);
  EXPECT_EQ(host.TimerDelay(), Timeout(&ProgramSettings::communicationTimeoutSwitchToFirmware));
  EXPECT_TRUE(FileClosed());
}

struct RestartRow {
  const char* name;
  LinkType link;
  bool loaderAnnouncesItself;
};

class FirmwareRestartIntoLoader : public FirmwareUpdate, public testing::WithParamInterface<RestartRow> {};

TEST_P(FirmwareRestartIntoLoader, FlashStartGoesAgainToTheLoader) {
  host.type = GetParam().link;
  Load({{kSectionTypeApplication, kBase, FirmwareData(64)}});
  ASSERT_TRUE(engine.StartFirmwareUpdate());
  Receive(ReplyOf(ie::Reset));
  EXPECT_EQ(engine.state(), EngineState::FlashWaitLoader);
  EXPECT_EQ(host.linkCloses, 1);
  EXPECT_EQ(host.TimerDelay(), Timeout(&ProgramSettings::communicationTimeoutSwitchToLoader));
  host.link = LinkState::Closed;
  host.ClearRecords();

  if (GetParam().loaderAnnouncesItself) {
    host.link = LinkState::Open;
    Receive(test::EventWith({{ie::LoaderStarted, {}}, test::TextElement(ie::LoaderVersion, "1.0.3")}));
  } else {
    TimeOut(&ProgramSettings::communicationTimeoutSwitchToLoader);
    if (GetParam().link == LinkType::Serial) {
      EXPECT_TRUE(host.sent.empty());  // the port is not back yet
      host.link = LinkState::Open;
      clock.Advance(milliseconds(1000));
    }
    EXPECT_EQ(host.CountOf(Notification::LinkClosed), 1);
  }
  ASSERT_FALSE(host.sent.empty());
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::FlashStart});  // never SwitchToFirmware
  EXPECT_EQ(engine.state(), EngineState::FlashStarting);
  EXPECT_EQ(engine.retries(), 0);

  Receive(ReplyOf(ie::FlashStart));
  EXPECT_EQ(LastSent(), ie::FlashData);
}

INSTANTIATE_TEST_SUITE_P(Rows, FirmwareRestartIntoLoader,
                         testing::Values(RestartRow{"SerialTimeOut", LinkType::Serial, false},
                                         RestartRow{"TcpTimeOut", LinkType::Tcp, false},
                                         RestartRow{"LoaderStartedEvent", LinkType::Serial, true}),
                         test::RowName<RestartRow>);

TEST_F(FirmwareUpdate, RefusedBlockIsRepeatedThenTheUpdateFails) {
  StartInLoader({{kSectionTypeApplication, kBase, FirmwareData(300)}});
  for (int i = 0; i < kMaxRepeats; ++i) Receive(RejectWith({0x81}));
  ASSERT_EQ(Blocks().size(), 3u);
  for (const SentBlock& block : Blocks()) EXPECT_EQ(block.address, kBase);
  EXPECT_EQ(engine.state(), EngineState::Flashing);

  Receive(RejectWith({0x81}));
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::FirmwareResult, 2, false}));
  EXPECT_EQ(engine.causeText(), "81");
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_TRUE(FileClosed());
  EXPECT_FALSE(host.TimerRunning());
}

struct StartRefusalRow {
  const char* name;
  std::uint8_t cause;
  int refusals;
  Notification ending;
  int value;
};

class FirmwareStartRefused : public FirmwareUpdate, public testing::WithParamInterface<StartRefusalRow> {};

TEST_P(FirmwareStartRefused, EndsWithItsResultAndClosesTheFile) {
  const StartRefusalRow& row = GetParam();
  Load({{kSectionTypeApplication, kBase, FirmwareData(64)}});
  ASSERT_TRUE(engine.StartFirmwareUpdate());
  for (int i = 0; i < row.refusals; ++i) Receive(RejectWith({row.cause}));
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>(static_cast<std::size_t>(row.refusals), ie::FlashStart));
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{row.ending, row.value, false}));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_TRUE(FileClosed());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FirmwareStartRefused,
    testing::Values(StartRefusalRow{"RefusedThreeTimes", 0x81, kMaxTries, Notification::FirmwareResult, 2},
                    StartRefusalRow{"NotAllowed", cause::NotAllowed, 1, Notification::NotAllowed, 0},
                    StartRefusalRow{"PasswordPromptCancelled", cause::PasswordRequired, 1,
                                    Notification::FirmwareResult, 5}),
    test::RowName<StartRefusalRow>);

struct SilenceRow {
  const char* name;
  bool loaderReady;
  std::uint8_t repeated;
};

class FirmwareUnanswered : public FirmwareUpdate, public testing::WithParamInterface<SilenceRow> {};

TEST_P(FirmwareUnanswered, ThreeTriesThenFailureWithTheFileClosed) {
  Load({{kSectionTypeApplication, kBase, FirmwareData(64)}});
  ASSERT_TRUE(engine.StartFirmwareUpdate());
  if (GetParam().loaderReady) Receive(ReplyOf(ie::FlashStart));
  host.ClearRecords();
  const auto timeout = GetParam().loaderReady ? &ProgramSettings::communicationTimeoutFlashLoad
                                              : &ProgramSettings::communicationTimeoutFlashLoadStart;
  for (int i = 0; i < kMaxTries; ++i) TimeOut(timeout);

  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>(kMaxRepeats, GetParam().repeated));
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::OperationFailed, 0, false}));
  EXPECT_TRUE(host.Logged("Operation failed!"));
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_TRUE(FileClosed());
}

INSTANTIATE_TEST_SUITE_P(Rows, FirmwareUnanswered,
                         testing::Values(SilenceRow{"Start", false, ie::FlashStart},
                                         SilenceRow{"Block", true, ie::FlashData}),
                         test::RowName<SilenceRow>);

TEST_F(FirmwareUpdate, LoaderWithoutFirmwareStartsTheUpdate) {
  Load({{kSectionTypeApplication, kBase, FirmwareData(64)}});
  engine.SetState(EngineState::Idle);
  Receive(test::EventWith({{ie::LoaderStarted, {}}, {ie::Cause, {cause::NoFirmware}}}));
  EXPECT_EQ(host.CountOf(Notification::NoFirmware, 0), 1);
  EXPECT_EQ(LastSent(), ie::FlashStart);
  EXPECT_EQ(engine.state(), EngineState::FlashStarting);
  EXPECT_EQ(engine.retries(), 0);
}

TEST_F(FirmwareUpdate, LoaderWithoutFirmwareAndNoFileIsOnlyReported) {
  engine.SetState(EngineState::Idle);
  Receive(test::EventWith({{ie::LoaderStarted, {}}, {ie::Cause, {cause::NoFirmware}}}));
  EXPECT_EQ(host.CountOf(Notification::NoFirmware, 0), 1);
  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::RestartAck, ie::SwitchToFirmware}));
  EXPECT_EQ(engine.state(), EngineState::InLoader);
}

}  // namespace
}  // namespace tusko
