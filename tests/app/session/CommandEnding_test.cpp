// What the device commands ask before they start and say when they end, the
// same on the desktop and the command line; questions are answered by a script.
#include "app/session/CommandEnding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/session/ConfigTransferFlow.h"
#include "app/session/UpdateFileFlows.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayFaults.h"
#include "support/FirmwareFiles.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

using enum OperationResult;

// No failure of any command reads as a success, and a refusal passes on the gateway's cause.
TEST(ResultMessage, NoFailureIsToldAsASuccess) {
  for (int command = 0; command <= static_cast<int>(DeviceCommand::MonitorCommand); ++command) {
    for (const OperationResult result : {Rejected, NoAnswer, PasswordRefused, OldPasswordWrong}) {
      const auto message =
          ResultMessage(DeviceCommand(command), static_cast<int>(result), "21", GatewayAfterCancel::Firmware);
      if (!message) continue;
      EXPECT_NE(message->style, MessageStyle::Information) << command << "/" << static_cast<int>(result);
      if (result == Rejected && message->textKey != "strSysInfoError" && message->textKey != "strSysInfoErrorLan") {
        EXPECT_EQ(message->args, std::vector<std::string>{"21"}) << command;
      }
    }
  }
}

TEST(ResultMessage, EachEndingHasItsText) {
  using enum DeviceCommand;
  using enum MessageStyle;
  struct Row {
    const char* name;
    DeviceCommand command;
    OperationResult result;
    const char* key;  // null: nothing is told
    MessageStyle style;
    GatewayAfterCancel afterCancel = GatewayAfterCancel::Firmware;
    const char* caption = nullptr;  // checked when given
  };
  const Row rows[] = {
      {"firmware_done", WriteFirmware, Done, "strFlashWriteOK", Information},
      {"login_cancelled_needs_no_word", WriteFirmware, PasswordRefused, nullptr, {}},
      {"login_cancelled_clock_still_fails", ReadClock, PasswordRefused, "strDateTimeGetError", Warning},
      // A cancelled write says under the command's title where it left the gateway; a cancelled read needs no word.
      {"firmware_cancelled_back_in_its_firmware", WriteFirmware, Cancelled, "strCancelledFirmwareRuns", Information,
       GatewayAfterCancel::Firmware, "strFlashWrite"},
      {"config_write_cancelled_in_the_loader", WriteConfiguration, Cancelled, "strCancelledInLoader", Warning,
       GatewayAfterCancel::Loader, "strDataUpload"},
      {"announcement_cancelled_no_answer", UpdateAnnouncement, Cancelled, "strCancelledNoAnswer", Warning,
       GatewayAfterCancel::Unknown, "strAnnouncementUpdate"},
      {"config_read_cancelled_needs_no_word", ReadConfiguration, Cancelled, nullptr, {}},
      {"cdr_chunk_refused_by_the_store_without_cause", DownloadCdr, Rejected, nullptr, {}},
      {"clock_set_is_silent", SetClock, Done, nullptr, {}},
      {"clock_set_to_the_computers_time_says_so", SynchronizeClock, Done, "strDateTimeSynchronized", Information},
      {"system_info_refused_keeps_its_text", SystemInfo, Rejected, "strSysInfoError", Warning},
  };
  for (const Row& row : rows) {
    const auto message = ResultMessage(row.command, static_cast<int>(row.result), "", row.afterCancel);
    if (!row.key) {
      EXPECT_FALSE(message) << row.name << ": " << message->textKey;
      continue;
    }
    ASSERT_TRUE(message) << row.name;
    EXPECT_EQ(message->textKey, row.key) << row.name;
    EXPECT_EQ(message->style, row.style) << row.name;
    if (row.caption) {
      EXPECT_EQ(message->captionKey, row.caption) << row.name;
    }
  }
}

TEST(RestartResult, EndsOnlyWhenTheRestartIsOver) {
  const auto n = [](OperationResult result) { return static_cast<int>(result); };
  const struct { const char* name; Notification code; int value; std::optional<int> result; } rows[] = {
      {"accepted_goes_on", Notification::Reset, 0, std::nullopt},
      {"login_refused", Notification::Reset, n(PasswordRefused), n(PasswordRefused)},
      {"refused", Notification::ResetRejected, n(Rejected), n(Rejected)},
      {"loader_switch_goes_on", Notification::LoaderRestarted, 0, std::nullopt},
      {"firmware_back", Notification::FirmwareRunning, 0, n(Done)},
      {"not_back", Notification::RestartFailed, 0, n(NoAnswer)},
  };
  for (const auto& row : rows) EXPECT_EQ(RestartResult(row.code, row.value), row.result) << row.name;
}

// Answers the questions in order and records every key asked or told.
class ScriptedPrompts final : public CommandPrompts {
 public:
  explicit ScriptedPrompts(std::deque<Answer> answers) : answers_(std::move(answers)) {}
  Answer Ask(const CommandMessage& question) override {
    keys.push_back(question.textKey);
    if (answers_.empty()) return Answer::No;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
  }
  void Tell(const CommandMessage& message) override { keys.push_back(message.textKey); }
  std::vector<std::string> keys;

 private:
  std::deque<Answer> answers_;
};

constexpr const char* kConflict = "strDataVersionConflict";
constexpr const char* kConfirm = "strDataUploadConfirm";

TEST(ConfirmConfigTransfer, AsksInTheOrderOfTheVersionRule) {
  using enum ConfigTransferKind;
  const struct {
    const char* name;
    ConfigTransferKind kind;
    const char* firmware;
    std::deque<Answer> answers;
    bool started;
    std::vector<std::string> asked;
  } rows[] = {
      {"read_agreeing", Read, "1.2.5", {}, true, {}},
      {"write_agreeing_confirmed", Write, "1.2.5", {Answer::Yes}, true, {kConfirm}},
      {"read_differing_refused", Read, "1.3.0", {Answer::No}, false, {kConflict}},
      {"read_differing_accepted_beforehand", Read, "1.3.0", {Answer::Assumed}, true, {kConflict}},
      {"write_differing_yes_stands_for_the_confirmation", Write, "2.0", {Answer::Yes}, true, {kConflict}},
      {"write_differing_accepted_beforehand_still_confirms", Write, "1.3.0",
       {Answer::Assumed, Answer::No}, false, {kConflict, kConfirm}},
  };
  for (const auto& row : rows) {
    ScriptedPrompts prompts(row.answers);
    EXPECT_EQ(ConfirmConfigTransfer(row.kind, row.firmware, prompts), row.started) << row.name;
    EXPECT_EQ(prompts.keys, row.asked) << row.name;
  }
}

TEST(PrepareFirmwareUpdate, ChecksInOrderAndClosesTheFileUnlessReady) {
  using test::FirmwareData;
  using test::FirmwareFileBytes;
  const auto identified = FirmwareFileBytes({{kSectionTypeApplication, 0x10000, FirmwareData(40, "2.1.7")}});
  const auto unsigned_ = FirmwareFileBytes({{kSectionTypeApplication, 0x10000, FirmwareData(64)}});
  const auto outside = FirmwareFileBytes({{kSectionTypeApplication, 0xFF00, FirmwareData(0x200, "2.1.7")}});
  const struct {
    const char* name;
    std::vector<std::uint8_t> bytes;
    FirmwareFileRules rules;
    std::deque<Answer> answers;
    FirmwareFileVerdict verdict;
    std::vector<std::string> keys;
  } rows[] = {
      {"not_a_firmware_file", {1, 2, 3}, {}, {}, FirmwareFileVerdict::Refused, {"strFlashWriteFileError"}},
      {"outside_the_window", outside, {}, {}, FirmwareFileVerdict::Refused, {"strFlashWriteFileErrorAddrSpace"}},
      {"outside_the_window_unchecked", outside, {true, false}, {Answer::Yes}, FirmwareFileVerdict::Ready,
       {"strFlashWriteFileVersion"}},
      {"no_version", unsigned_, {}, {}, FirmwareFileVerdict::Refused, {"strFlashWriteFileErrorVersion"}},
      {"no_version_not_required", unsigned_, {false, true}, {}, FirmwareFileVerdict::Ready, {}},
      {"version_declined", identified, {}, {Answer::No}, FirmwareFileVerdict::Declined, {"strFlashWriteFileVersion"}},
      {"version_accepted_beforehand", identified, {}, {Answer::Assumed}, FirmwareFileVerdict::Ready,
       {"strFlashWriteFileVersion"}},
  };
  for (const auto& row : rows) {
    const test::TempFile path(row.bytes);
    FirmwareFile file;
    file.AddAllowedRange(kFirmwareFlashWindow);
    ScriptedPrompts prompts(row.answers);
    const auto text = [](std::string_view key) { return std::string(key); };
    EXPECT_EQ(PrepareFirmwareUpdate(file, path.path(), row.rules, text, prompts), row.verdict) << row.name;
    EXPECT_EQ(prompts.keys, row.keys) << row.name;
    EXPECT_EQ(file.IsOpen(), row.verdict == FirmwareFileVerdict::Ready) << row.name;
  }
}

// A cancelled firmware update on the gateway model: the gateway is brought back to its old firmware
// wherever its loader allows, and the one ending says where it is.

using test::GatewayHarness;

// Long enough for three tries of every request and two restarts of the gateway.
constexpr std::chrono::seconds kSettleTime{120};

struct CancelRow {
  const char* name;
  LinkType link;
  bool (*when)(GatewayHarness&);  // the cancel goes out once this holds
  bool holdsFirmware = true;      // else the loader has none to start
  GatewayAfterCancel told = GatewayAfterCancel::Firmware;
  std::vector<sim::Fault> faults = {};
};

class CancelEnding : public ::testing::TestWithParam<CancelRow> {};

TEST_P(CancelEnding, BringsTheGatewayBackAndSaysWhereItIs) {
  const CancelRow& row = GetParam();
  sim::GatewayIdentity identity;
  identity.hasValidFirmware = row.holdsFirmware;
  GatewayHarness h(row.link, identity);
  OperationEngine& engine = h.engine;
  OperationsOf(engine).SetState(EngineState::Idle);
  const std::vector<std::uint8_t> flash = h.gateway.FlashLoader().flash();
  const test::TempFile file(test::FirmwareFileBytes(
      {{kSectionTypeApplication, kFirmwareFlashWindow.start, test::FirmwareData(0x2400, "1.3.0")}}));
  ASSERT_TRUE(engine.firmwareFile().OpenFile(file.path()));
  ASSERT_EQ(engine.firmwareFile().Parse(), FirmwareParseResult::Ok);
  ASSERT_TRUE(engine.StartFirmwareUpdate());
  for (const sim::Fault& fault : row.faults) h.gateway.InjectFault(fault);
  ASSERT_TRUE(h.RunUntil([&] { return row.when(h); }, kSettleTime));
  engine.CancelFirmwareUpdate();
  ASSERT_TRUE(h.RunUntil(
      [&] {
        const EngineState state = engine.state();
        return h.host.CountOf(Notification::FirmwareResult) > 0 &&
               (state == EngineState::Idle || state == EngineState::Failed) && !h.host.TimerRunning();
      },
      kSettleTime));

  const bool back = row.told == GatewayAfterCancel::Firmware;
  EXPECT_EQ(h.gateway.Phase(), back ? sim::GatewayPhase::Firmware : sim::GatewayPhase::Loader);
  EXPECT_EQ(h.gateway.FlashLoader().flash(), flash);
  EXPECT_EQ(h.gateway.Identity().firmwareVersion, identity.firmwareVersion);
  EXPECT_EQ(h.gateway.Identity().hasValidFirmware, row.holdsFirmware);
  // One ending, the cancel's: no failure of its own and no failed restart besides.
  EXPECT_EQ(h.host.CountOf(Notification::FirmwareResult), 1);
  EXPECT_EQ(h.host.CountOf(Notification::FirmwareResult, static_cast<int>(OperationResult::Cancelled)), 1);
  EXPECT_EQ(h.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(h.host.CountOf(Notification::RestartFailed), 0);
  EXPECT_EQ(engine.gatewayAfterCancel(), row.told);
  EXPECT_FALSE(engine.firmwareFile().IsOpen());
}

bool AtOnce(GatewayHarness&) { return true; }
bool LoaderAwaited(GatewayHarness& h) { return h.engine.state() == EngineState::FlashWaitLoader; }
bool MidTransfer(GatewayHarness& h) { return h.gateway.RequestCount(ie::FlashData) >= 5; }

INSTANTIATE_TEST_SUITE_P(
    Cancel, CancelEnding,
    ::testing::Values(
        // The firmware's Reset crosses the cancel.
        CancelRow{"AsItsStartGoesOut", LinkType::Tcp, AtOnce},
        CancelRow{"BeforeTheLoaderAnswered", LinkType::Tcp, LoaderAwaited},
        // The loader refuses to start a firmware it does not hold: it stays, and says so.
        CancelRow{"IntoALoaderWithoutFirmware", LinkType::Serial, MidTransfer, false, GatewayAfterCancel::Loader},
        CancelRow{"CancelNeverConfirmed", LinkType::Serial, MidTransfer, true, GatewayAfterCancel::Unknown,
                  {{sim::FaultKind::DropReply, ie::FlashCancel, 0, 100000}}}),
    test::RowName<CancelRow>);

}  // namespace
}  // namespace tusko
