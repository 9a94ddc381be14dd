#include "app/session/CommandEnding.h"

#include <string>
#include <utility>
#include <vector>

namespace tusko {

namespace {

// The texts of one command's endings; null where the ending has none.
struct Ending {
  const char* doneKey = nullptr;     // "strFinish" information on success
  const char* refusedKey = nullptr;  // a refusal, with the gateway's cause
  const char* failedKey = nullptr;   // any other failure, and a refusal without refusedKey
  MessageStyle failedStyle = MessageStyle::Warning;
  // A login the user cancelled needs no further word; elsewhere the command's
  // failure text follows the login's own box.
  bool quietAfterCancelledLogin = false;
  // A cancel that may leave the gateway elsewhere than in its firmware says
  // where it is, under this caption; null: the cancel needs no word.
  const char* cancelCaptionKey = nullptr;
};

CommandMessage CancelMessage(const char* captionKey, GatewayAfterCancel where) {
  struct Text {
    const char* key;
    MessageStyle style;
  };
  Text text{"strCancelledFirmwareRuns", MessageStyle::Information};
  if (where == GatewayAfterCancel::Loader) text = {"strCancelledInLoader", MessageStyle::Warning};
  if (where == GatewayAfterCancel::Unknown) text = {"strCancelledNoAnswer", MessageStyle::Warning};
  return {.textKey = text.key, .captionKey = captionKey, .style = text.style, .args = {}, .question = {}};
}

Ending EndingOf(DeviceCommand command) {
  switch (command) {
    case DeviceCommand::WriteConfiguration:
      return {.refusedKey = "strErrorResponse", .cancelCaptionKey = "strDataUpload"};
    case DeviceCommand::ReadConfiguration:
    case DeviceCommand::DownloadCdr:
    case DeviceCommand::MonitorCommand: return {.refusedKey = "strErrorResponse"};
    case DeviceCommand::WriteFirmware:
      return {.doneKey = "strFlashWriteOK",
              .refusedKey = "strErrorResponse",
              .failedKey = "strFlashWriteError",
              .quietAfterCancelledLogin = true,
              .cancelCaptionKey = "strFlashWrite"};
    case DeviceCommand::UpdateAnnouncement:
      return {.doneKey = "strAnnouncementUpdateOK",
              .refusedKey = "strAnnouncementUpdateError",
              .cancelCaptionKey = "strAnnouncementUpdate"};
    case DeviceCommand::Restart:
      return {.refusedKey = "strErrorResponse",
              .failedKey = "strErrorRestart",
              .failedStyle = MessageStyle::Error,
              .quietAfterCancelledLogin = true};
    case DeviceCommand::ModuleInfo:
      return {.refusedKey = "strErrorResponse", .failedKey = "strErrorNoResponse", .failedStyle = MessageStyle::Error};
    case DeviceCommand::ModuleRestart:
    case DeviceCommand::ReadCells: return {};
    case DeviceCommand::ChangePassword: return {.refusedKey = "strErrorResponse", .failedKey = "strErrorNoResponse"};
    case DeviceCommand::ReadClock: return {.refusedKey = "strErrorResponse", .failedKey = "strDateTimeGetError"};
    case DeviceCommand::SetClock: return {.refusedKey = "strErrorResponse", .failedKey = "strDateTimeSetError"};
    case DeviceCommand::SynchronizeClock:
      return {.doneKey = "strDateTimeSynchronized", .refusedKey = "strErrorResponse", .failedKey = "strDateTimeSetError"};
    case DeviceCommand::SystemInfo: return {.failedKey = "strSysInfoError"};
    case DeviceCommand::LanInfo: return {.failedKey = "strSysInfoErrorLan"};
  }
  return {};
}

}  // namespace

std::optional<CommandMessage> ResultMessage(DeviceCommand command, int result, std::string_view cause,
                                            GatewayAfterCancel afterCancel) {
  const Ending ending = EndingOf(command);
  switch (OperationResult{result}) {
    case OperationResult::Done:
      if (!ending.doneKey) return std::nullopt;
      return CommandMessage{.textKey = ending.doneKey,
                            .captionKey = "strFinish",
                            .style = MessageStyle::Information,
                            .args = {},
                            .question = {}};
    case OperationResult::PasswordRefused:
      if (ending.quietAfterCancelledLogin) return std::nullopt;
      break;
    case OperationResult::OldPasswordWrong: return ProblemMessage("strPasswordOldFailed");
    case OperationResult::Cancelled:
      if (ending.cancelCaptionKey) return CancelMessage(ending.cancelCaptionKey, afterCancel);
      break;
    case OperationResult::Rejected:
      // A refusal without a cause was this program's own (a store that could
      // not take a chunk): the gateway has nothing to say about it.
      if (ending.refusedKey && !cause.empty()) {
        return ProblemMessage(ending.refusedKey, {std::string(cause)});
      }
      break;
    default: break;
  }
  if (!ending.failedKey) return std::nullopt;
  return ProblemMessage(ending.failedKey, {}, ending.failedStyle);
}

namespace {

CommandMessage Information(std::string textKey, std::vector<std::string> args = {}) {
  return {.textKey = std::move(textKey),
          .captionKey = "strFinish",
          .style = MessageStyle::Information,
          .args = std::move(args),
          .question = {}};
}

}  // namespace

CommandMessage CdrDownloadedMessage(std::uint32_t records, std::string_view path) {
  if (records == 0) return Information("strCdrNoNewRecords");
  return Information("strCdrSaved", {std::to_string(records), std::string(path)});
}

CommandMessage ConfigWrittenMessage() { return Information("strDataWrittenRestarting"); }

CommandMessage ConfigRunningAgainMessage() { return Information("strDataWrittenRunning"); }

CommandMessage UnansweredMessage(Notification code, bool silentTcpConnection) {
  const char* key = "strErrorNoResponse";
  if (code == Notification::NotAllowed) key = "strErrorNotAllowed";
  else if (silentTcpConnection) key = "strErrorNoResponseHeld";
  return ProblemMessage(key, {}, MessageStyle::Error);
}

std::optional<int> RestartResult(Notification code, int value) {
  switch (code) {
    case Notification::Reset: return value != 0 ? std::optional(value) : std::nullopt;
    case Notification::ResetRejected: return value;
    case Notification::FirmwareRunning: return static_cast<int>(OperationResult::Done);
    case Notification::RestartFailed: return static_cast<int>(OperationResult::NoAnswer);
    default: return std::nullopt;
  }
}

}  // namespace tusko
