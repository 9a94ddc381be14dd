// What each device command's ending says, the same on the desktop and the
// command line.
#include "app/session/CommandEnding.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

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
  struct Row {
    const char* name;
    DeviceCommand command;
    int result;
    const char* cause;
    const char* key;  // null: nothing is told
    MessageStyle style;
    GatewayAfterCancel afterCancel = GatewayAfterCancel::Firmware;
    const char* caption = nullptr;  // checked when given
  };
  const Row rows[] = {
      {"firmware_done", DeviceCommand::WriteFirmware, kDone, "", "strFlashWriteOK", MessageStyle::Information},
      {"login_cancelled_needs_no_word", DeviceCommand::WriteFirmware, kPasswordRefused, "", nullptr, {}},
      {"login_cancelled_clock_still_fails", DeviceCommand::ReadClock, kPasswordRefused, "", "strDateTimeGetError",
       MessageStyle::Warning},
      // A cancelled write says under the command's title where it left the gateway; a cancelled read needs no word.
      {"firmware_cancelled_back_in_its_firmware", DeviceCommand::WriteFirmware, kCancelled, "",
       "strCancelledFirmwareRuns", MessageStyle::Information, GatewayAfterCancel::Firmware, "strFlashWrite"},
      {"config_write_cancelled_in_the_loader", DeviceCommand::WriteConfiguration, kCancelled, "",
       "strCancelledInLoader", MessageStyle::Warning, GatewayAfterCancel::Loader, "strDataUpload"},
      {"announcement_cancelled_no_answer", DeviceCommand::UpdateAnnouncement, kCancelled, "", "strCancelledNoAnswer",
       MessageStyle::Warning, GatewayAfterCancel::Unknown, "strAnnouncementUpdate"},
      {"config_read_cancelled_needs_no_word", DeviceCommand::ReadConfiguration, kCancelled, "", nullptr, {}},
      {"cdr_chunk_refused_by_the_store", DeviceCommand::DownloadCdr, kRejected, "", nullptr, {}},
      {"restart_not_back", DeviceCommand::Restart, kNoAnswer, "", "strErrorRestart", MessageStyle::Error},
      {"old_password_wrong", DeviceCommand::ChangePassword, kOldPasswordWrong, "", "strPasswordOldFailed",
       MessageStyle::Warning},
      {"clock_set_is_silent", DeviceCommand::SetClock, kDone, "", nullptr, {}},
      {"clock_set_to_the_computers_time_says_so", DeviceCommand::SynchronizeClock, kDone, "", "strDateTimeSynchronized",
       MessageStyle::Information},
      {"system_info_refused_keeps_its_text", DeviceCommand::SystemInfo, kRejected, "3", "strSysInfoError",
       MessageStyle::Warning},
  };
  for (const Row& row : rows) {
    const std::optional<CommandMessage> message = ResultMessage(row.command, row.result, row.cause, row.afterCancel);
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

}  // namespace
}  // namespace tusko
