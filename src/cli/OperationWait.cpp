#include "cli/OperationWait.h"

#include <algorithm>
#include <chrono>

#include <unistd.h>

#include "cli/ExitCodes.h"
#include "cli/Interrupt.h"
#include "cli/ProgressBar.h"

namespace tusko::cli {

namespace {

// How often the wait looks for Ctrl-C when the signal went to another thread.
constexpr std::chrono::milliseconds kInterruptPollMs{100};
// Silence longer than this many of the longest engine time-out ends the wait.
constexpr int kStallTimeouts = 8;

std::chrono::milliseconds StallLimit(const ProgramSettings& s) {
  const std::uint32_t longest =
      std::max({s.communicationTimeout, s.communicationTimeoutReset, s.communicationTimeoutDataRead,
                s.communicationTimeoutDataWrite, s.communicationTimeoutDataWriteStart,
                s.communicationTimeoutReadCells, s.communicationTimeoutSwitchToLoader,
                s.communicationTimeoutSwitchToFirmware});
  return std::chrono::milliseconds(longest) * kStallTimeouts;
}

}  // namespace

WaitOutcome RunOperation(CliSession& session, const OperationCall& operation) {
  WaitOutcome outcome;
  bool ended = false;
  auto lastHeard = std::chrono::steady_clock::now();
  session.OnNotification([&](Notification code, int value) {
    lastHeard = std::chrono::steady_clock::now();
    if (ended) return;
    const std::optional<int> result =
        std::find(operation.results.begin(), operation.results.end(), code) != operation.results.end()
            ? std::optional(value)
            : (operation.endsWith ? operation.endsWith(code, value) : std::nullopt);
    if (result) {
      outcome = {WaitEnd::Result, *result};
      ended = true;
    } else if (code == Notification::OperationFailed) {
      outcome.end = WaitEnd::NoAnswer;
      ended = true;
    } else if (code == Notification::NotAllowed) {
      outcome.end = WaitEnd::NotAllowed;
      ended = true;
    } else if (operation.onOther) {
      operation.onOther(code, value);
    }
  });
  if (!operation.start()) {
    session.OnNotification(nullptr);
    return {WaitEnd::NotStarted, 0};
  }
  const auto stallLimit = StallLimit(session.settings());
  while (!ended) {
    session.loop().RunUntil([&ended] { return ended || InterruptRequested(); }, kInterruptPollMs);
    if (ended) break;
    if (InterruptRequested()) {
      outcome.end = WaitEnd::Interrupted;
      break;
    }
    if (std::chrono::steady_clock::now() - lastHeard > stallLimit) {
      outcome.end = WaitEnd::Stalled;
      break;
    }
  }
  session.OnNotification(nullptr);
  return outcome;
}

WaitOutcome RunWithProgress(CliSession& session, std::ostream& err, std::function<bool()> start, Notification result,
                            Notification progress, const std::function<void()>& cancel) {
  ProgressBar bar(err, isatty(STDERR_FILENO) != 0);
  const WaitOutcome outcome = RunOperation(session, {.start = std::move(start),
                                                     .results = {result},
                                                     .onOther = [&bar, progress](Notification code, int value) {
                                                       if (code == progress) bar.Show(value);
                                                     }});
  bar.Finish();
  if (outcome.end == WaitEnd::Interrupted) cancel();
  return outcome;
}

int ReportOutcome(const WaitOutcome& outcome, std::string_view failureKey, const OperationEngine& engine,
                  const CliLanguage& language, std::ostream& err) {
  if (outcome.Done()) return kExitDone;
  if (!failureKey.empty() && outcome.end != WaitEnd::Interrupted) err << language.Text(failureKey) << "\n";
  switch (outcome.end) {
    case WaitEnd::NotStarted:
    case WaitEnd::Stalled:
      err << language.Text("strCliNoLink") << "\n";
      return kExitNoLink;
    case WaitEnd::NotAllowed:
      err << language.Text("strErrorNotAllowed") << "\n";
      return kExitRejected;
    case WaitEnd::Interrupted:
      err << language.Text("strCliCancelled") << "\n";
      return kExitCancelled;
    case WaitEnd::NoAnswer:
      err << language.Text("strErrorNoResponse") << "\n";
      return kExitNoAnswer;
    case WaitEnd::Result: break;
  }
  switch (OperationResult{outcome.result}) {
    case OperationResult::Rejected:
      err << language.Format("strErrorResponse", {engine.causeText()}) << "\n";
      return kExitRejected;
    case OperationResult::Cancelled:
      err << language.Text("strCliCancelled") << "\n";
      return kExitCancelled;
    case OperationResult::PasswordRefused: return kExitPasswordRefused;  // no password was given
    case OperationResult::OldPasswordWrong:
      err << language.Text("strPasswordOldFailed") << "\n";
      return kExitPasswordRefused;
    default:
      err << language.Text("strErrorNoResponse") << "\n";
      return kExitNoAnswer;
  }
}

}  // namespace tusko::cli
