// The announcement update's faults the gateway model does not make (the whole update: RoundTrip_test).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "protocol/TransferScript.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::AddressOf;
using test::ElementData;
using test::RecordedNotification;
using test::ReplyWith;

constexpr std::uint32_t kSamples = 10000;
constexpr milliseconds kResendDelay{1000};

class AnnouncementUpdate : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  AnnouncementUpdate() : wav_(test::LoadAnnouncement(engine, kSamples, false)) {
    OperationsOf(engine).SetState(EngineState::Idle);
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
      Receive(test::AnnouncementBlockAck(AddressOf(LastSent()).value_or(0)));
    }
  }
  // The file on disk loses its tail after the check, as if another program cut it.
  void CutFileTo(std::uintmax_t size) { std::filesystem::resize_file(wav_->path(), size); }
  void ExpectEndedWith(OperationResult result) {
    EXPECT_EQ(engine.state(), EngineState::Idle);
    EXPECT_EQ(host.notifications.back(),
              (RecordedNotification{Notification::AnnouncementResult, static_cast<int>(result), false}));
    EXPECT_FALSE(file().IsOpen());
    EXPECT_FALSE(host.TimerRunning());
  }

 private:
  std::unique_ptr<test::TempFile> wav_;
};

TEST_F(AnnouncementUpdate, FileCutAfterItsCheckEndsTheUpdateAsFailed) {
  StartAccepted();
  CutFileTo(300);
  AcknowledgeBlocks();
  EXPECT_TRUE(host.Logged("Announcement file read error"));
  ExpectEndedWith(OperationResult::Rejected);
  EXPECT_FALSE(engine.causeText().empty());
  for (const auto& sent : host.sent) {
    EXPECT_NE(ElementData(sent.message, ie::AnnouncementData).size(), 48u) << "no padded part-block went out";
  }
}

TEST_F(AnnouncementUpdate, StopAnswerBeforeTheLastBlockIsNotTakenForDone) {
  StartAccepted();
  Receive(ReplyWith({{ie::AnnouncementStop, {}}}));
  EXPECT_EQ(engine.state(), EngineState::AnnouncementSending);
  EXPECT_EQ(host.CountOf(Notification::AnnouncementResult), 0);
  EXPECT_TRUE(file().IsOpen());
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
  Receive(test::AnnouncementBlockAck(0));
  host.ClearRecords();
  Receive(test::AnnouncementBlockAck(0x200));

  EXPECT_TRUE(host.Logged("Acknowledge of invalid address (00000200)"));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.TimerDelay(), kResendDelay);
  clock.Advance(kResendDelay);
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(AddressOf(LastSent()), 128u);
  EXPECT_EQ(engine.retries(), 1);
}

}  // namespace
}  // namespace tusko
