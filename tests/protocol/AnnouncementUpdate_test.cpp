// The announcement update against a scripted gateway on virtual time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "protocol/ConfigTransferTestScript.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::AddressOf;
using test::ElementData;
using test::RecordedNotification;
using test::RejectWith;
using test::ReplyWith;

constexpr std::uint32_t kSamples = 10000;  // a file of 10058 bytes: 78 whole blocks and one of 74
constexpr std::uint32_t kFileSize = kSamples + 58;
constexpr std::uint32_t kLastBlock = 78 * 128;
constexpr milliseconds kResendDelay{1000};

DeviceMessage BlockAck(std::uint32_t address) {
  return ReplyWith({{ie::AnnouncementData, {}}, {ie::Address, test::Number32(address)}});
}

class AnnouncementUpdate : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  AnnouncementUpdate() : wav_(test::AlawWav(kSamples)) {
    engine.SetState(EngineState::Idle);
    file().OpenFile(wav_.path());
  }

  AnnouncementFile& file() { return engine.announcementFile(); }
  milliseconds BlockTimeout() const { return milliseconds(settings.communicationTimeoutFlashLoad); }
  const DeviceMessage& LastSent() const { return host.sent.back().message; }
  std::uint8_t LastSentElement() const { return test::MainElement(LastSent()); }

  void Start() {
    ASSERT_EQ(file().CheckWav(), WavCheck::Ok);
    ASSERT_TRUE(engine.StartAnnouncementUpdate(AnnouncementKind::Incoming));
  }
  void StartAccepted() {
    Start();
    Receive(ReplyWith({{ie::AnnouncementStart, {}}}));
    ASSERT_EQ(engine.state(), EngineState::AnnouncementSending);
  }
  // Acknowledges every block as it goes out, until the stop is sent.
  void AcknowledgeBlocks() {
    while (engine.state() == EngineState::AnnouncementSending && LastSentElement() == ie::AnnouncementData) {
      Receive(BlockAck(AddressOf(LastSent()).value_or(0)));
    }
  }
  void ExpectEndedWith(OperationResult result) {
    EXPECT_EQ(engine.state(), EngineState::Idle);
    EXPECT_EQ(host.notifications.back(),
              (RecordedNotification{Notification::AnnouncementResult, static_cast<int>(result), false}));
    EXPECT_FALSE(file().IsOpen());
    EXPECT_FALSE(host.TimerRunning());
  }

 private:
  test::TempFile wav_;
};

TEST_F(AnnouncementUpdate, StartNamesTheKindAndTheHeaderEndWithThePassword) {
  engine.SetLoginPassword("tusk");
  Start();

  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(ElementData(LastSent(), ie::AnnouncementStart), std::vector<std::uint8_t>{2});
  EXPECT_EQ(AddressOf(LastSent()), 58u);
  EXPECT_EQ(ElementData(LastSent(), ie::Password), (std::vector<std::uint8_t>{'t', 'u', 's', 'k', 0}));
  EXPECT_EQ(engine.state(), EngineState::AnnouncementStarting);
  EXPECT_EQ(host.linkQueries, 1);
  EXPECT_TRUE(host.Logged("Start announcements update"));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::AnnouncementStarted, 0, false}}));
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutFlashLoadStart));
}

TEST_F(AnnouncementUpdate, UncheckedFileDoesNotStart) {
  EXPECT_FALSE(engine.StartAnnouncementUpdate(AnnouncementKind::Outgoing));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(engine.state(), EngineState::Idle);
}

TEST_F(AnnouncementUpdate, BlocksCarryTheFileByOffsetAndTheLastIsPadded) {
  StartAccepted();
  AcknowledgeBlocks();

  std::vector<std::uint32_t> addresses;
  for (const auto& sent : host.sent) {
    if (test::MainElement(sent.message) != ie::AnnouncementData) continue;
    EXPECT_FALSE(FindElement(sent.message, ie::Password).has_value());
    addresses.push_back(AddressOf(sent.message).value_or(0));
  }
  ASSERT_EQ(addresses.size(), 79u);
  for (std::size_t i = 0; i < addresses.size(); ++i) EXPECT_EQ(addresses[i], i * 128) << i;

  const auto& last = std::find_if(host.sent.rbegin(), host.sent.rend(), [](const auto& s) {
                       return test::MainElement(s.message) == ie::AnnouncementData;
                     })->message;
  const std::vector<std::uint8_t> data = ElementData(last, ie::AnnouncementData);
  ASSERT_EQ(data.size(), 80u);  // 74 bytes of the file, padded to a multiple of 8
  EXPECT_EQ(data[73], ReverseBits(static_cast<std::uint8_t>(7 * (kFileSize - 1 - 58) + 3)));
  EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + 74, data.end()), std::vector<std::uint8_t>(6, 0xFF));
}

TEST_F(AnnouncementUpdate, ProgressFollowsTheBlocksAndTheStopEndsIt) {
  StartAccepted();
  AcknowledgeBlocks();

  std::vector<int> progress;
  for (const auto& n : host.notifications) {
    if (n.code == Notification::AnnouncementProgress) progress.push_back(n.value);
  }
  ASSERT_EQ(progress.size(), 80u);
  EXPECT_EQ(progress[1], 128 * 100 / static_cast<int>(kFileSize));
  EXPECT_EQ(progress[78], static_cast<int>(kLastBlock * 100 / kFileSize));
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

  EXPECT_EQ(LastSentElement(), ie::AnnouncementStop);
  EXPECT_EQ(ElementData(LastSent(), ie::AnnouncementStop), std::vector<std::uint8_t>{0x00});
  EXPECT_TRUE(host.Logged("Stop announcements update"));
  EXPECT_EQ(host.TimerDelay(), BlockTimeout());
  Receive(ReplyWith({{ie::AnnouncementStop, {}}}));
  ExpectEndedWith(OperationResult::Done);
}

TEST_F(AnnouncementUpdate, StopAnswerBeforeTheLastBlockIsNotTakenForDone) {
  StartAccepted();
  Receive(ReplyWith({{ie::AnnouncementStop, {}}}));
  EXPECT_EQ(engine.state(), EngineState::AnnouncementSending);
  EXPECT_EQ(host.CountOf(Notification::AnnouncementResult), 0);
  EXPECT_TRUE(file().IsOpen());
}

TEST_F(AnnouncementUpdate, ErasingResendsEverySecondWithoutUsingUpTries) {
  StartAccepted();
  Receive(BlockAck(0));
  host.ClearRecords();
  for (int erasing = 0; erasing < 2; ++erasing) {
    Receive(ReplyWith({{ie::FlashErasing, {}}}));
    EXPECT_TRUE(host.Logged("Erasing flash sector"));
    EXPECT_EQ(host.TimerDelay(), kResendDelay);
    clock.Advance(kResendDelay);
    EXPECT_EQ(AddressOf(LastSent()), 128u);
    EXPECT_EQ(engine.retries(), 0);
  }
  EXPECT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.CountOf(Notification::AnnouncementProgress), 0);  // re-sends show no progress
  Receive(BlockAck(128));
  EXPECT_EQ(AddressOf(LastSent()), 256u);
}

TEST_F(AnnouncementUpdate, ErasingOnTheLastTryStillResends) {
  StartAccepted();
  clock.Advance(BlockTimeout());
  clock.Advance(BlockTimeout());
  ASSERT_EQ(engine.retries(), kMaxRepeats);
  Receive(ReplyWith({{ie::FlashErasing, {}}}));
  clock.Advance(kResendDelay);
  EXPECT_EQ(engine.state(), EngineState::AnnouncementSending);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 0);
}

TEST_F(AnnouncementUpdate, LongErasingUsesUpTriesAfterTheFourthReport) {
  StartAccepted();
  for (int erasing = 0; erasing < 4 + kMaxTries; ++erasing) {
    Receive(ReplyWith({{ie::FlashErasing, {}}}));
    clock.Advance(kResendDelay);
  }
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 1);
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_FALSE(file().IsOpen());
}

TEST_F(AnnouncementUpdate, WrongAddressResendsTheBlockAfterASecond) {
  StartAccepted();
  Receive(BlockAck(0));
  host.ClearRecords();
  Receive(BlockAck(0x200));

  EXPECT_TRUE(host.Logged("Acknowledge of invalid address (00000200)"));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.TimerDelay(), kResendDelay);
  clock.Advance(kResendDelay);
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(AddressOf(LastSent()), 128u);
  EXPECT_EQ(engine.retries(), 1);
}

struct RefusalRow {
  const char* name;
  bool whileSending;
  std::vector<std::uint8_t> cause;
};

class AnnouncementRefusal : public AnnouncementUpdate, public ::testing::WithParamInterface<RefusalRow> {};

TEST_P(AnnouncementRefusal, EndsAtOnceWithTheCauseText) {
  if (GetParam().whileSending) {
    StartAccepted();
  } else {
    Start();
  }
  const std::size_t sentBefore = host.sent.size();
  const auto& cause = GetParam().cause;
  Receive(test::SealedMessage(MessageType::Reject, {{ie::Cause, cause}}));

  ExpectEndedWith(OperationResult::Rejected);
  EXPECT_EQ(engine.causeText(), "99 01");
  EXPECT_EQ(host.sent.size(), sentBefore);
  clock.Advance(BlockTimeout() * kMaxTries);
  EXPECT_EQ(host.sent.size(), sentBefore);
}

INSTANTIATE_TEST_SUITE_P(AnnouncementUpdate, AnnouncementRefusal,
                         ::testing::Values(RefusalRow{"starting", false, {0x99, 0x01}},
                                           RefusalRow{"sending", true, {0x99, 0x01}}),
                         test::RowName<RefusalRow>);

TEST_F(AnnouncementUpdate, PasswordGivenSendsTheStartAgain) {
  Start();
  host.passwordAnswers = {"tusk"};
  Receive(RejectWith({cause::PasswordRequired}));
  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(ElementData(LastSent(), ie::AnnouncementStart), std::vector<std::uint8_t>{2});
  EXPECT_EQ(ElementData(LastSent(), ie::Password), (std::vector<std::uint8_t>{'t', 'u', 's', 'k', 0}));
  EXPECT_EQ(engine.retries(), 1);
  EXPECT_TRUE(file().IsOpen());
}

TEST_F(AnnouncementUpdate, PasswordRefusedEndsWithFive) {
  Start();
  Receive(RejectWith({cause::PasswordRequired}));
  EXPECT_EQ(host.passwordQueries, 1);
  ExpectEndedWith(OperationResult::PasswordRefused);
  EXPECT_EQ(host.sent.size(), 1u);
}

TEST_F(AnnouncementUpdate, NotAllowedEndsWithoutItsOwnResult) {
  Start();
  Receive(RejectWith({cause::NotAllowed}));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::NotAllowed, 0, false}));
  EXPECT_EQ(host.CountOf(Notification::AnnouncementResult), 0);
  EXPECT_FALSE(file().IsOpen());
}

TEST_F(AnnouncementUpdate, CancelSendsNothingAndClosesTheFile) {
  StartAccepted();
  const std::size_t sentBefore = host.sent.size();
  engine.CancelAnnouncementUpdate();

  ExpectEndedWith(OperationResult::Cancelled);
  EXPECT_TRUE(host.Logged("Cancel announcements update"));
  EXPECT_EQ(engine.retries(), 0);
  Receive(BlockAck(0));  // the answer still on its way
  EXPECT_EQ(host.sent.size(), sentBefore);
}

struct TimeoutRow {
  const char* name;
  int blocksAcknowledged;  // -1: the start is not answered; 79: every block, the stop is not
  std::uint8_t repeated;
};

class AnnouncementTimeouts : public AnnouncementUpdate, public ::testing::WithParamInterface<TimeoutRow> {};

TEST_P(AnnouncementTimeouts, RepeatThreeTimesThenFailWithTheFileClosed) {
  Start();
  if (GetParam().blocksAcknowledged >= 0) Receive(ReplyWith({{ie::AnnouncementStart, {}}}));
  for (int i = 0; i < GetParam().blocksAcknowledged; ++i) Receive(BlockAck(AddressOf(LastSent()).value_or(0)));
  host.ClearRecords();
  clock.Advance(milliseconds(settings.communicationTimeoutFlashLoadStart) * kMaxTries);

  EXPECT_EQ(host.sent.size(), static_cast<std::size_t>(kMaxRepeats));
  for (const auto& sent : host.sent) EXPECT_EQ(test::MainElement(sent.message), GetParam().repeated);
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::OperationFailed, 0, false}));
  EXPECT_TRUE(host.Logged("Operation failed!"));
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_FALSE(file().IsOpen());
}

INSTANTIATE_TEST_SUITE_P(AnnouncementUpdate, AnnouncementTimeouts,
                         ::testing::Values(TimeoutRow{"start", -1, ie::AnnouncementStart},
                                           TimeoutRow{"block", 3, ie::AnnouncementData},
                                           TimeoutRow{"stop", 79, ie::AnnouncementStop}),
                         test::RowName<TimeoutRow>);

}  // namespace
}  // namespace tusko
