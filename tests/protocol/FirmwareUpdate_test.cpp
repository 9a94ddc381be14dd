// The firmware update's faults the gateway model does not make (the whole update: RoundTrip_test).
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "protocol/TransferConstants.h"
#include "protocol/TransferScript.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::FirmwareData;
using test::RecordedNotification;
using test::ReplyWith;
using test::TestSection;

constexpr std::uint32_t kBase = test::kFirmwareBase;
constexpr std::uint32_t kStrayAddress = 0x12345678;

DeviceMessage Acknowledge(std::uint32_t address) { return ReplyWith({{ie::FlashAddress, test::Number32(address)}}); }

DeviceMessage ReplyOf(std::uint8_t element) { return ReplyWith({{element, {}}}); }

class FirmwareUpdate : public test::ScriptedEngine, public testing::Test {
 protected:
  void Load(const std::vector<TestSection>& sections) { stored_ = test::LoadFirmware(engine, sections); }
  // Starts the update on a loader that is ready at once.
  void StartInLoader(const std::vector<TestSection>& sections) {
    Load(sections);
    ASSERT_TRUE(engine.StartFirmwareUpdate());
    Receive(ReplyOf(ie::FlashStart));
    ASSERT_EQ(engine.state(), EngineState::Flashing);
  }
  std::uint8_t LastSent() const { return test::MainElement(host.sent.back().message); }
  std::vector<test::SentBlock> Blocks() const { return test::SentBlocks(host, ie::FlashData, ie::FlashAddress); }
  // Acknowledges every block as it goes out, until something else is sent.
  void AcknowledgeBlocks() {
    while (LastSent() == ie::FlashData) Receive(Acknowledge(Blocks().back().address));
  }
  milliseconds Timeout(std::uint32_t EngineSettings::*setting) const { return milliseconds(settings.*setting); }
  void TimeOut(std::uint32_t EngineSettings::*setting) { clock.Advance(Timeout(setting)); }
  bool FileClosed() { return !engine.firmwareFile().IsOpen(); }

 private:
  std::unique_ptr<test::TempFile> stored_;
};

TEST_F(FirmwareUpdate, WrongAcknowledgementIsLoggedAndTheBlockGoesAgainOnTimeOut) {
  StartInLoader({{kSectionTypeApplication, kBase, FirmwareData(300)}});
  const std::size_t sentBefore = host.sent.size();
  const std::size_t notifiedBefore = host.notifications.size();
  Receive(Acknowledge(kStrayAddress));
  EXPECT_TRUE(host.Logged("Acknowledge of invalid address (12345678)"));
  EXPECT_EQ(host.sent.size(), sentBefore);
  EXPECT_EQ(engine.retries(), 0);

  TimeOut(&EngineSettings::communicationTimeoutFlashLoad);
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

  TimeOut(&EngineSettings::communicationTimeoutFlashLoad);  // the cancel is what goes again
  EXPECT_EQ(LastSent(), ie::FlashCancel);

  // The loader confirms: it is asked to start the firmware, and the result waits for that.
  Receive(ReplyOf(ie::FlashCancel));
  EXPECT_EQ(LastSent(), ie::SwitchToFirmware);
  EXPECT_EQ(engine.state(), EngineState::InLoader);
  EXPECT_EQ(host.CountOf(Notification::FirmwareResult), 0);
  EXPECT_FALSE(engine.HasPending(FlashCancelPending));
  EXPECT_TRUE(FileClosed());
}

TEST_F(FirmwareUpdate, CancelWithoutAnUpdateSendsNothing) {
  OperationsOf(engine).SetState(EngineState::Idle);
  engine.CancelFirmwareUpdate();
  EXPECT_TRUE(host.sent.empty());
}

TEST_F(FirmwareUpdate, StopAcknowledgedBeforeTheLastBlockIsNoSuccess) {
  StartInLoader({{kSectionTypeApplication, kBase, FirmwareData(400)}});
  Receive(ReplyOf(ie::FlashStop));
  EXPECT_TRUE(host.Logged("Stop acknowledge before the last block"));
  EXPECT_EQ(host.CountOf(Notification::FirmwareResult), 0);
  EXPECT_EQ(engine.state(), EngineState::Flashing);
  AcknowledgeBlocks();
  Receive(ReplyOf(ie::FlashStop));
  EXPECT_EQ(host.CountOf(Notification::FirmwareResult, 1), 1);
}

// The file closed under the update (the window's dialog went with an error):
// every way the update would start again ends it instead of leaving it waiting.
TEST_F(FirmwareUpdate, ClosedFileEndsTheUpdateWhereItWouldStartAgain) {
  struct Row {
    const char* name;
    std::function<void()> step;
  };
  const DeviceMessage loaderUp = test::EventWith({{ie::LoaderStarted, {}}});
  const Row rows[] = {
      {"start_timed_out", [this] { TimeOut(&EngineSettings::communicationTimeoutFlashLoadStart); }},
      {"loader_up_while_starting", [&] { Receive(loaderUp); }},
      {"loader_up_after_the_restart",
       [&] {
         Receive(ReplyOf(ie::Reset));
         Receive(loaderUp);
       }},
  };
  for (const Row& row : rows) {
    host.ClearRecords();
    Load({{kSectionTypeApplication, kBase, FirmwareData(300)}});
    ASSERT_TRUE(engine.StartFirmwareUpdate()) << row.name;
    engine.firmwareFile().CloseFile();
    row.step();
    EXPECT_EQ(host.CountOf(Notification::FirmwareResult, static_cast<int>(OperationResult::Rejected)), 1) << row.name;
    EXPECT_EQ(engine.causeText(), host.languageText("strFlashLeftInLoader")) << row.name;
    EXPECT_EQ(engine.state(), EngineState::Idle) << row.name;
    EXPECT_FALSE(host.TimerRunning()) << row.name;
  }
}

}  // namespace
}  // namespace tusko
