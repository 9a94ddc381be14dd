#include "cli/DeviceCommands.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/DateTimeArgument.h"
#include "cli/ExitCodes.h"
#include "cli/PrintRows.h"
#include "cli/OperationWait.h"
#include "cli/PasswordPrompt.h"

namespace tusko::cli {

namespace {

// Where a script gives the new password without showing it on the command line.
constexpr const char* kNewPasswordVariable = "TUSKO_NEW_PASSWORD";
constexpr std::string_view kSetArgument = "set";

// Runs one request to its result notification; kExitDone when it succeeded,
// else the failure is reported under `failureText`.
int RunRequest(const CommandContext& c, OperationCall call, const std::string& failureText) {
  const WaitOutcome outcome = RunOperation(*c.session, call);
  if (outcome.Done()) return kExitDone;
  if (!failureText.empty() && outcome.end != WaitEnd::Interrupted) c.err << failureText << "\n";
  return ReportOutcome(outcome, "", c.session->engine(), c.language, c.err);
}

// The module a command names, as the engine counts them (0 or 1).
std::optional<int> ModuleArgument(const CommandContext& c) {
  const std::string& text = c.options.commandArguments.front();
  if (text == "1" || text == "2") return text[0] - '1';
  c.err << c.language.Format("strCliBadModule", {text}) << "\n" << c.language.Text("strCliUsageHint") << "\n";
  return std::nullopt;
}

std::string ModuleName(const CommandContext& c, int module) {
  return c.language.Text(module == 0 ? "strGsmModule1" : "strGsmModule2");
}

void PrintClock(const CommandContext& c, const DeviceClock& clock) {
  c.out << c.language.Format("strCliClock", {FormatDateTime(clock.time)}) << "\n";
  if (clock.lastSync.reported == 0) return;
  const LastSyncRecord& sync = clock.lastSync;
  if (sync.first == 0 && sync.second == 0 && sync.year == 0) {
    c.out << c.language.Text("strDateTimeLastSyncError") << "\n";
  } else {
    c.out << c.language.Format("strDateTimeLastSync", {sync.first, sync.second, sync.year}) << "\n";
  }
}

int ReadClock(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  const int exit = RunRequest(c, {.start = [&engine] { return engine.GetDateTime(); },
                                  .results = {Notification::GetTimeResult}},
                              c.language.Text("strDateTimeGetError"));
  if (exit == kExitDone) PrintClock(c, engine.deviceInformation().clock);
  return exit;
}

int SetClock(const CommandContext& c, const std::string& argument) {
  const std::optional<DateTimeRecord> time = ParseDateTimeArgument(argument, LocalTimeNow());
  if (!time) {
    c.err << c.language.Format("strCliBadDateTime", {argument}) << "\n" << c.language.Text("strCliUsageHint") << "\n";
    return kExitUsage;
  }
  OperationEngine& engine = c.session->engine();
  const int exit = RunRequest(c, {.start = [&engine, &time] { return engine.SetDateTime(*time); },
                                  .results = {Notification::SetTimeResult}},
                              c.language.Text("strDateTimeSetError"));
  if (exit == kExitDone) c.out << c.language.Format("strCliClockSet", {FormatDateTime(*time)}) << "\n";
  return exit;
}

// The new password from the environment, else asked twice on the terminal.
std::optional<std::string> NewPassword(const CommandContext& c) {
  if (const char* given = std::getenv(kNewPasswordVariable)) return std::string(given);
  const std::optional<std::string> first = PromptPassword(c.language.Text("strPasswordNew"));
  if (!first) return std::nullopt;
  const std::optional<std::string> second = PromptPassword(c.language.Text("strPasswordConfirm"));
  if (!second) return std::nullopt;
  if (*first != *second) {
    c.err << c.language.Text("strPasswordConfirmFailed") << "\n";
    return std::nullopt;
  }
  return first;
}

}  // namespace

int RunLan(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  const int exit = RunRequest(c, {.start = [&engine] { return engine.GetLanInfo(); },
                                  .results = {Notification::LanInfoResult}},
                              c.language.Text("strSysInfoErrorLan"));
  if (exit == kExitDone) PrintRows(LanRows(engine.deviceInformation().lan, CliText(c.language)), c.language, c.out);
  return exit;
}

int RunTime(const CommandContext& c) {
  const std::vector<std::string>& arguments = c.options.commandArguments;
  if (arguments.empty()) return ReadClock(c);
  if (arguments.size() == 2 && arguments[0] == kSetArgument) return SetClock(c, arguments[1]);
  c.err << c.language.Format("strCliUnknownArgument", {arguments[0]}) << "\n"
        << c.language.Text("strCliUsageHint") << "\n";
  return kExitUsage;
}

int RunRestart(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  // Notification 1 announces the restart with 0 and ends it only when the
  // password was refused; the restart ends when the firmware is back or not.
  const auto ends = [](Notification code, int value) -> std::optional<int> {
    if (code == Notification::Reset && value != 0) return value;
    if (code == Notification::FirmwareRunning) return static_cast<int>(OperationResult::Done);
    if (code == Notification::RestartFailed) return static_cast<int>(OperationResult::NoAnswer);
    return std::nullopt;
  };
  const WaitOutcome outcome = RunOperation(*c.session, {.start = [&engine] { return engine.ResetDevice(); },
                                                        .results = {Notification::ResetRejected},
                                                        .endsWith = ends});
  if (outcome.Done()) {
    c.out << c.language.Text("strCliRestarted") << "\n";
    return kExitDone;
  }
  if (outcome.end == WaitEnd::Result && outcome.result == static_cast<int>(OperationResult::NoAnswer)) {
    c.err << c.language.Text("strErrorRestart") << "\n";
    return kExitNoAnswer;
  }
  return ReportOutcome(outcome, "", engine, c.language, c.err);
}

int RunModuleInfo(const CommandContext& c) {
  const std::optional<int> module = ModuleArgument(c);
  if (!module) return kExitUsage;
  OperationEngine& engine = c.session->engine();
  const int exit = RunRequest(c, {.start = [&engine, module] { return engine.GetModuleInfo(*module); },
                                  .results = {Notification::ModuleInfoResult}},
                              "");
  if (exit != kExitDone) return exit;
  const ModuleInformation& info = engine.deviceInformation().module;
  c.out << c.language.Text("strGsmModuleInfo") << ": " << ModuleName(c, *module) << "\n";
  PrintRows(ModuleRows(info, CliText(c.language)), c.language, c.out);
  return kExitDone;
}

int RunModuleRestart(const CommandContext& c) {
  const std::optional<int> module = ModuleArgument(c);
  if (!module) return kExitUsage;
  OperationEngine& engine = c.session->engine();
  const int exit = RunRequest(c, {.start = [&engine, module] { return engine.ResetModule(*module); },
                                  .results = {Notification::ModuleResetResult}},
                              "");
  if (exit == kExitDone) c.out << c.language.Format("strCliModuleRestarted", {ModuleName(c, *module)}) << "\n";
  return exit;
}

int RunCells(const CommandContext& c) {
  const std::optional<int> module = ModuleArgument(c);
  if (!module) return kExitUsage;
  OperationEngine& engine = c.session->engine();
  const std::string name = ModuleName(c, *module);
  const int exit = RunRequest(c, {.start = [&engine, module] { return engine.GetCells(*module); },
                                  .results = {Notification::CellsResult}},
                              c.language.Format("strGsmCellSelReadError", {name}));
  if (exit != kExitDone) return exit;
  bool any = false;
  for (const auto& cell : engine.deviceInformation().module.cells) {
    const std::string text(cell.data(), std::find(cell.begin(), cell.end(), '\0'));
    if (text.empty()) continue;
    c.out << "  " << text << "\n";
    any = true;
  }
  if (!any) c.out << c.language.Format("strGsmCellSelReadEmpty", {name}) << "\n";
  return kExitDone;
}

int RunPassword(const CommandContext& c) {
  const std::optional<std::string> newPassword = NewPassword(c);
  if (!newPassword) return kExitPasswordRefused;
  if (newPassword->size() > kLoginPasswordCapacity) {
    c.err << c.language.Format("strCliPasswordTooLong", {kLoginPasswordCapacity}) << "\n";
    return kExitUsage;
  }
  OperationEngine& engine = c.session->engine();
  std::string oldPassword = engine.loginPassword();
  if (!c.session->passwordGiven()) {
    const std::optional<std::string> asked = PromptPassword(c.language.Text("strPasswordOld"));
    if (!asked) return kExitPasswordRefused;
    oldPassword = *asked;
  }
  const int exit = RunRequest(c, {.start = [&] { return engine.ChangePassword(*newPassword, oldPassword); },
                                  .results = {Notification::PasswordChangeResult}},
                              "");
  if (exit == kExitDone) c.out << c.language.Text("strCliPasswordChanged") << "\n";
  return exit;
}

}  // namespace tusko::cli
