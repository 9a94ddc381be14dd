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

}  // namespace
}  // namespace tusko
