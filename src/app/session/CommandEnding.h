#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "app/session/CommandPrompts.h"
#include "protocol/engine/EngineTypes.h"

namespace tusko {

// The device commands whose request ends with a result the user may be told.
enum class DeviceCommand {
  ReadConfiguration,
  WriteConfiguration,
  WriteFirmware,
  UpdateAnnouncement,
  DownloadCdr,
  Restart,
  ModuleInfo,
  ModuleRestart,
  ReadCells,
  ChangePassword,
  ReadClock,
  SetClock,
  SynchronizeClock,  // set to the computer's time
  SystemInfo,
  LanInfo,
  MonitorCommand,
};

// What the user is told when `command`'s request ended with `result`, `cause`
// being the gateway's reason for a refusal. Nothing when the ending needs no
// word: a success without a text of its own, a login the user cancelled before
// a firmware update or a restart, or a failure that the command's own window
// or file explains. A cancelled write of the configuration, the firmware or
// an announcement says in one message where it left the gateway (`afterCancel`).
std::optional<CommandMessage> ResultMessage(DeviceCommand command, int result, std::string_view cause,
                                            GatewayAfterCancel afterCancel = GatewayAfterCancel::Firmware);

// What the user is told when a request ended without its result: no try was
// answered (OperationFailed) or the gateway does not allow it (NotAllowed).
// Over a TCP connection on which the gateway never answered
// (`silentTcpConnection`), no answer adds that another program may hold the
// gateway's one connection.
CommandMessage UnansweredMessage(Notification code, bool silentTcpConnection = false);

// A finished CDR download says how many records `path` now holds, or that the
// gateway had no new ones (and then no file is left behind).
CommandMessage CdrDownloadedMessage(std::uint32_t records, std::string_view path);

// A written configuration is taken over by a restart: the user hears that it
// was written and the gateway restarts, then that it runs again.
CommandMessage ConfigWrittenMessage();
CommandMessage ConfigRunningAgainMessage();

// The result a restart ends with on `code`, or nothing while it goes on. Reset
// announces the restart with 0 and ends it only for a refused login;
// ResetRejected carries the refusal; the restart has ended well when the
// firmware runs again, and failed when the gateway did not come back.
std::optional<int> RestartResult(Notification code, int value);

}  // namespace tusko
