#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <vector>

#include "app/session/CommandEnding.h"
#include "cli/CliCommand.h"
#include "cli/CliSession.h"
#include "protocol/engine/EngineTypes.h"

namespace tusko::cli {

// How one engine operation ended for a command.
enum class WaitEnd {
  Result,       // its result notification came; see `result`
  NoAnswer,     // notification 200: the tries are used up
  NotAllowed,   // notification 400
  Interrupted,  // Ctrl-C
  Stalled,      // nothing at all came within the stall limit
  NotStarted,   // the starter refused: no link
};

struct WaitOutcome {
  WaitEnd end = WaitEnd::NotStarted;
  int result = 0;  // the result notification's value when `end` is Result
  bool Done() const { return end == WaitEnd::Result && result == static_cast<int>(OperationResult::Done); }
};

struct OperationCall {
  std::function<bool()> start;
  // Any of these ends the wait with its value as the result.
  std::vector<Notification> results;
  // For operations whose end is not one result notification: the result a
  // notification ends the wait with, or nothing to go on.
  std::function<std::optional<int>(Notification, int)> endsWith = nullptr;
  // Called for every other notification, e.g. progress.
  std::function<void(Notification, int)> onOther = nullptr;
  // Asks the engine to end the operation on Ctrl-C; the wait then goes on for
  // the operation's own result, which says where the cancel left the gateway.
  // Without it Ctrl-C ends the wait at once (Interrupted).
  std::function<void()> cancel = nullptr;
};

// Runs `operation.start` and the session's loop until one of the result
// notifications, a failure notification, Ctrl-C, or a stall. The engine ends
// every operation by its own time-outs; the stall limit only guards against
// a broken promise.
WaitOutcome RunOperation(CliSession& session, const OperationCall& operation);

// RunOperation with a progress bar on `err` (drawn only on a terminal) fed by
// the `progress` notifications; on Ctrl-C `cancel` tells the engine, and the
// wait goes on for the result of the cancel.
WaitOutcome RunWithProgress(CliSession& session, std::ostream& err, std::function<bool()> start, Notification result,
                            Notification progress, const std::function<void()>& cancel);

// Tells the user how `command`'s operation ended: its success text, if it
// has one, on the standard output; otherwise why it failed. Returns the exit code.
int ReportOutcome(DeviceCommand command, const WaitOutcome& outcome, const CommandContext& c);

}  // namespace tusko::cli
