#include "cli/InfoCommand.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
#include "cli/OperationWait.h"
#include "cli/PrintRows.h"

namespace tusko::cli {

namespace {

// The engine ends every request by its own time-outs: three tries of system
// information and two of LAN information. This only bounds a run in which
// that promise were broken.
constexpr int kInfoTimeoutBudget = 8;

// What the engine has reported so far.
class InfoProgress {
 public:
  explicit InfoProgress(const OperationEngine& engine) : engine_(engine) {}

  void OnNotification(Notification code, int value) {
    switch (code) {
      case Notification::SystemInfoResult: systemResult_ = value; break;
      case Notification::LanInfoRequested: lanRequested_ = true; break;
      case Notification::LanInfoResult: lanResult_ = value; break;
      case Notification::OperationFailed: noAnswer_ = true; break;
      case Notification::NotAllowed: notAllowed_ = true; break;
      default: break;
    }
  }

  bool Done() const {
    if (lanResult_ || noAnswer_ || notAllowed_) return true;
    if (!systemResult_) return false;
    // The LAN request follows the system information at once; when it could
    // not go out (the link went away), nothing more will come.
    return *systemResult_ != static_cast<int>(OperationResult::Done) ||
           (!lanRequested_ && !engine_.HasPending(LanInfoPending));
  }

  bool SystemInfoRead() const { return systemResult_ == static_cast<int>(OperationResult::Done); }
  bool LanInfoRead() const { return lanResult_ == static_cast<int>(OperationResult::Done); }
  // How the run failed, when it ended without both reports.
  std::optional<WaitOutcome> Failure() const {
    if (notAllowed_) return WaitOutcome{WaitEnd::NotAllowed, 0};
    if (noAnswer_) return WaitOutcome{WaitEnd::NoAnswer, 0};
    const std::optional<int> result = SystemInfoRead() ? lanResult_ : systemResult_;
    if (!result) return std::nullopt;
    return WaitOutcome{WaitEnd::Result, *result};
  }

 private:
  const OperationEngine& engine_;
  std::optional<int> systemResult_;
  std::optional<int> lanResult_;
  bool lanRequested_ = false;
  bool noAnswer_ = false;
  bool notAllowed_ = false;
};

}  // namespace

int RunInfo(const CommandContext& c) {
  CliSession& session = *c.session;
  const CliLanguage& language = c.language;
  std::ostream& out = c.out;
  OperationEngine& engine = session.engine();
  InfoProgress progress(engine);
  session.OnNotification([&progress](Notification code, int value) { progress.OnNotification(code, value); });

  if (!engine.GetSystemInfo()) {
    c.err << language.Text("strCliNoLink") << "\n";
    return kExitNoLink;
  }
  const auto budget = std::chrono::milliseconds(session.settings().communicationTimeout) * kInfoTimeoutBudget;
  session.loop().RunUntil([&progress] { return progress.Done(); }, budget);

  const DeviceInformation& info = engine.deviceInformation();
  if (progress.SystemInfoRead()) {
    out << language.Text("strSysInfo") << "\n";
    std::vector<InfoRow> rows = SystemRows(info.system, CliText(language));
    if (progress.LanInfoRead()) {
      const std::vector<InfoRow> lan = LanRows(info.lan, CliText(language));
      rows.insert(rows.end(), lan.begin(), lan.end());
    }
    PrintRows(rows, language, out);
  }
  if (progress.SystemInfoRead() && progress.LanInfoRead()) return kExitDone;
  // Neither a result nor a time-out (Stalled): the link went away under the request.
  const WaitOutcome failure = progress.Failure().value_or(WaitOutcome{WaitEnd::Stalled, 0});
  return ReportOutcome(progress.SystemInfoRead() ? DeviceCommand::LanInfo : DeviceCommand::SystemInfo, failure, c);
}

}  // namespace tusko::cli
