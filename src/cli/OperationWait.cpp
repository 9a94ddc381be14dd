#include "cli/OperationWait.h"

#include <algorithm>
#include <chrono>

#include <unistd.h>

#include "cli/CliPrompts.h"
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
  bool cancelled = false;
  const auto interrupted = [&cancelled] { return !cancelled && InterruptRequested(); };
  while (!ended) {
    session.loop().RunUntil([&] { return ended || interrupted(); }, kInterruptPollMs);
    if (ended) break;
    if (interrupted()) {
      if (!operation.cancel) {
        outcome.end = WaitEnd::Interrupted;
        break;
      }
      cancelled = true;
      operation.cancel();
      continue;
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
                                                     },
                                                     .cancel = cancel});
  bar.Finish();
  return outcome;
}

namespace {

void Print(const CommandMessage& message, const CliLanguage& language, std::ostream& out) {
  out << MessageText(message, language) << "\n";
}

int ExitCodeOf(OperationResult result) {
  switch (result) {
    case OperationResult::Done: return kExitDone;
    case OperationResult::Rejected: return kExitRejected;
    case OperationResult::Cancelled: return kExitCancelled;
    case OperationResult::PasswordRefused:
    case OperationResult::OldPasswordWrong: return kExitPasswordRefused;
    case OperationResult::NoAnswer: break;
  }
  return kExitNoAnswer;
}

// Why an operation failed, after the failure's own text: no failure of the
// command line ends without its reason.
void TellReason(OperationResult result, const CommandContext& c) {
  switch (result) {
    case OperationResult::PasswordRefused:   // the prompt has said so
    case OperationResult::OldPasswordWrong: return;  // the failure's text is the reason
    case OperationResult::Cancelled: c.err << c.language.Text("strCliCancelled") << "\n"; return;
    case OperationResult::Rejected:
      if (!c.session->engine().causeText().empty()) {
        c.err << c.language.Format("strErrorResponse", {c.session->engine().causeText()}) << "\n";
        return;
      }
      break;
    default: break;
  }
  c.err << c.language.Text("strErrorNoResponse") << "\n";
}

}  // namespace

int ReportOutcome(DeviceCommand command, const WaitOutcome& outcome, const CommandContext& c) {
  switch (outcome.end) {
    case WaitEnd::NotStarted:
    case WaitEnd::Stalled:
      c.err << c.language.Text("strCliNoLink") << "\n";
      return kExitNoLink;
    case WaitEnd::NotAllowed:
      Print(UnansweredMessage(Notification::NotAllowed), c.language, c.err);
      return kExitRejected;
    case WaitEnd::NoAnswer:
      Print(UnansweredMessage(Notification::OperationFailed, c.session->host().SilentTcpConnection()), c.language,
            c.err);
      return kExitNoAnswer;
    case WaitEnd::Interrupted:
      c.err << c.language.Text("strCliCancelled") << "\n";
      return kExitCancelled;
    case WaitEnd::Result: break;
  }
  const OperationResult result{outcome.result};
  const OperationEngine& engine = c.session->engine();
  const auto message = ResultMessage(command, outcome.result, engine.causeText(), engine.gatewayAfterCancel());
  if (message) Print(*message, c.language, result == OperationResult::Done ? c.out : c.err);
  // The reason follows a failure's text unless that text already carries it:
  // a cause as its argument, or a cancel that says so and where it left the gateway.
  const bool reasonTold = message && (!message->args.empty() || result == OperationResult::Cancelled);
  if (result != OperationResult::Done && !reasonTold) TellReason(result, c);
  return ExitCodeOf(result);
}

}  // namespace tusko::cli
