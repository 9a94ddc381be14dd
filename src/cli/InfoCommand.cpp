#include "cli/InfoCommand.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "cli/ExitCodes.h"
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
  // The result that ended the run, as an operation result.
  std::optional<OperationResult> Failure() const {
    if (notAllowed_) return OperationResult::Rejected;
    if (noAnswer_) return OperationResult::NoAnswer;
    if (!SystemInfoRead()) return systemResult_ ? std::optional(OperationResult{*systemResult_}) : std::nullopt;
    if (!LanInfoRead()) return lanResult_ ? std::optional(OperationResult{*lanResult_}) : std::nullopt;
    return std::nullopt;
  }
  bool NotAllowed() const { return notAllowed_; }

 private:
  const OperationEngine& engine_;
  std::optional<int> systemResult_;
  std::optional<int> lanResult_;
  bool lanRequested_ = false;
  bool noAnswer_ = false;
  bool notAllowed_ = false;
};

int ReportFailure(OperationResult result, bool notAllowed, bool lanPart, const OperationEngine& engine,
                  const CliLanguage& language, std::ostream& err) {
  err << language.Text(lanPart ? "strSysInfoErrorLan" : "strSysInfoError") << "\n";
  if (notAllowed) {
    err << language.Text("strErrorNotAllowed") << "\n";
    return kExitRejected;
  }
  switch (result) {
    case OperationResult::Rejected:
      err << language.Format("strErrorResponse", {engine.causeText()}) << "\n";
      return kExitRejected;
    case OperationResult::PasswordRefused: return kExitPasswordRefused;  // the prompt has said so
    default:
      err << language.Text("strErrorNoResponse") << "\n";
      return kExitNoAnswer;
  }
}

}  // namespace

int RunInfoCommand(CliSession& session, const CliLanguage& language, std::ostream& out, std::ostream& err) {
  OperationEngine& engine = session.engine();
  InfoProgress progress(engine);
  session.OnNotification([&progress](Notification code, int value) { progress.OnNotification(code, value); });

  if (!engine.GetSystemInfo()) {
    err << language.Text("strCliNoLink") << "\n";
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
  const std::optional<OperationResult> failure = progress.Failure();
  if (!failure) {
    // Neither a result nor a time-out: the link went away under the request.
    err << language.Text("strCliNoLink") << "\n";
    return kExitNoLink;
  }
  return ReportFailure(*failure, progress.NotAllowed(), progress.SystemInfoRead(), engine, language, err);
}

}  // namespace tusko::cli
