// What the device commands ask before they start and say when they end, the
// same on the desktop and the command line; questions are answered by a script.
#include "app/session/CommandEnding.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/session/ConfigTransferFlow.h"
#include "app/session/UpdateFileFlows.h"
#include "protocol/TransferConstants.h"
#include "support/FirmwareFiles.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

constexpr int kDone = static_cast<int>(OperationResult::Done);
constexpr int kRejected = static_cast<int>(OperationResult::Rejected);
constexpr int kNoAnswer = static_cast<int>(OperationResult::NoAnswer);
constexpr int kCancelled = static_cast<int>(OperationResult::Cancelled);
constexpr int kPasswordRefused = static_cast<int>(OperationResult::PasswordRefused);
constexpr int kOldPasswordWrong = static_cast<int>(OperationResult::OldPasswordWrong);

// No failure of any command reads as a success, and a refusal passes on the gateway's cause.
TEST(ResultMessage, NoFailureIsToldAsASuccess) {
  for (int command = 0; command <= static_cast<int>(DeviceCommand::MonitorCommand); ++command) {
    for (const int result : {kRejected, kNoAnswer, kPasswordRefused, kOldPasswordWrong}) {
      const auto message = ResultMessage(DeviceCommand(command), result, "21", GatewayAfterCancel::Firmware);
      if (!message) continue;
      EXPECT_NE(message->style, MessageStyle::Information) << command << "/" << result;
      if (result == kRejected && message->textKey != "strSysInfoError" && message->textKey != "strSysInfoErrorLan") {
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
    int result;
    const char* key;  // null: nothing is told
    MessageStyle style;
    GatewayAfterCancel afterCancel = GatewayAfterCancel::Firmware;
    const char* caption = nullptr;  // checked when given
  };
  const Row rows[] = {
      {"firmware_done", WriteFirmware, kDone, "strFlashWriteOK", Information},
      {"login_cancelled_needs_no_word", WriteFirmware, kPasswordRefused, nullptr, {}},
      {"login_cancelled_clock_still_fails", ReadClock, kPasswordRefused, "strDateTimeGetError", Warning},
      // A cancelled write says under the command's title where it left the gateway; a cancelled read needs no word.
      {"firmware_cancelled_back_in_its_firmware", WriteFirmware, kCancelled, "strCancelledFirmwareRuns", Information,
       GatewayAfterCancel::Firmware, "strFlashWrite"},
      {"config_write_cancelled_in_the_loader", WriteConfiguration, kCancelled, "strCancelledInLoader", Warning,
       GatewayAfterCancel::Loader, "strDataUpload"},
      {"announcement_cancelled_no_answer", UpdateAnnouncement, kCancelled, "strCancelledNoAnswer", Warning,
       GatewayAfterCancel::Unknown, "strAnnouncementUpdate"},
      {"config_read_cancelled_needs_no_word", ReadConfiguration, kCancelled, nullptr, {}},
      {"cdr_chunk_refused_by_the_store_without_cause", DownloadCdr, kRejected, nullptr, {}},
      {"clock_set_is_silent", SetClock, kDone, nullptr, {}},
      {"clock_set_to_the_computers_time_says_so", SynchronizeClock, kDone, "strDateTimeSynchronized", Information},
      {"system_info_refused_keeps_its_text", SystemInfo, kRejected, "strSysInfoError", Warning},
  };
  for (const Row& row : rows) {
    const std::optional<CommandMessage> message = ResultMessage(row.command, row.result, "", row.afterCancel);
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
  const struct { const char* name; Notification code; int value; std::optional<int> result; } rows[] = {
      {"accepted_goes_on", Notification::Reset, 0, std::nullopt},
      {"login_refused", Notification::Reset, kPasswordRefused, kPasswordRefused},
      {"refused", Notification::ResetRejected, kRejected, kRejected},
      {"loader_switch_goes_on", Notification::LoaderRestarted, 0, std::nullopt},
      {"firmware_back", Notification::FirmwareRunning, 0, kDone},
      {"not_back", Notification::RestartFailed, 0, kNoAnswer},
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

}  // namespace
}  // namespace tusko
