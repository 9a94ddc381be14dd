#include "cli/DeviceCommands.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/session/OnlineCells.h"
#include "app/session/PasswordRule.h"
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

// Runs one request of `command` to its result notification and tells how it ended.
int RunRequest(const CommandContext& c, DeviceCommand command, const OperationCall& call) {
  return ReportOutcome(command, RunOperation(*c.session, call), c);
}

// The module a command names, as the engine counts them (0 or 1).
std::optional<int> ModuleArgument(const CommandContext& c) {
  const std::string& text = c.options.commandArguments.front();
  if (text == "1" || text == "2") return text[0] - '1';
  c.err << c.language.Format("strCliBadModule", {text}) << "\n" << c.language.Text("strCliUsageHint") << "\n";
  return std::nullopt;
}

std::string ModuleName(const CommandContext& c, int module) {
  return c.language.Text(ModuleNameKey(module));
}

void PrintClock(const CommandContext& c, const DeviceClock& clock) {
  c.out << c.language.Format("strCliClock", {FormatDateTime(clock.time)}) << "\n";
  if (clock.lastSync.reported == 0) return;
  const LastSyncRecord& sync = clock.lastSync;
  if (sync.Failed()) {
    c.out << c.language.Text("strDateTimeLastSyncError") << "\n";
  } else {
    c.out << c.language.Format("strDateTimeLastSync", {sync.first, sync.second, sync.year}) << "\n";
  }
}

int ReadClock(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  const int exit = RunRequest(c, DeviceCommand::ReadClock, {.start = [&engine] { return engine.GetDateTime(); },
                                  .results = {Notification::GetTimeResult}});
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
  const int exit = RunRequest(c, DeviceCommand::SetClock, {.start = [&engine, &time] { return engine.SetDateTime(*time); },
                                  .results = {Notification::SetTimeResult}});
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
  const int exit = RunRequest(c, DeviceCommand::LanInfo, {.start = [&engine] { return engine.GetLanInfo(); },
                                  .results = {Notification::LanInfoResult}});
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
  const WaitOutcome outcome = RunOperation(*c.session, {.start = [&engine] { return engine.ResetDevice(); },
                                                        .results = {},
                                                        .endsWith = RestartResult});
  if (!outcome.Done()) return ReportOutcome(DeviceCommand::Restart, outcome, c);
  c.out << c.language.Text("strCliRestarted") << "\n";
  return kExitDone;
}

int RunModuleInfo(const CommandContext& c) {
  const std::optional<int> module = ModuleArgument(c);
  if (!module) return kExitUsage;
  OperationEngine& engine = c.session->engine();
  const int exit = RunRequest(c, DeviceCommand::ModuleInfo, {.start = [&engine, module] { return engine.GetModuleInfo(*module); },
                                  .results = {Notification::ModuleInfoResult}});
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
  const int exit = RunRequest(c, DeviceCommand::ModuleRestart, {.start = [&engine, module] { return engine.ResetModule(*module); },
                                  .results = {Notification::ModuleResetResult}});
  if (exit == kExitDone) c.out << c.language.Format("strCliModuleRestarted", {ModuleName(c, *module)}) << "\n";
  return exit;
}

int RunCells(const CommandContext& c) {
  const std::optional<int> module = ModuleArgument(c);
  if (!module) return kExitUsage;
  OperationEngine& engine = c.session->engine();
  const std::string name = ModuleName(c, *module);
  const WaitOutcome outcome = RunOperation(*c.session, {.start = [&engine, module] { return engine.GetCells(*module); },
                                                        .results = {Notification::CellsResult}});
  if (!outcome.Done()) {
    if (outcome.end != WaitEnd::Interrupted) c.err << c.language.Format("strGsmCellSelReadError", {name}) << "\n";
    return ReportOutcome(DeviceCommand::ReadCells, outcome, c);
  }
  const std::vector<Cell> cells = ListedCells(engine.deviceInformation().module.cells);
  for (const Cell& cell : cells) {
    c.out << " ";
    for (const std::string& field : cell.fields) c.out << " " << field;
    c.out << "\n";
  }
  if (cells.empty()) c.out << c.language.Format("strGsmCellSelReadEmpty", {name}) << "\n";
  return kExitDone;
}

int RunPassword(const CommandContext& c) {
  const std::optional<std::string> newPassword = NewPassword(c);
  if (!newPassword) return kExitPasswordRefused;
  switch (CheckGatewayPassword(*newPassword)) {
    case PasswordFit::Fits: break;
    case PasswordFit::NotAscii: c.err << c.language.Text("strPasswordNotAscii") << "\n"; return kExitUsage;
    case PasswordFit::TooLong:
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
  const int exit = RunRequest(c, DeviceCommand::ChangePassword, {.start = [&] { return engine.ChangePassword(*newPassword, oldPassword); },
                                  .results = {Notification::PasswordChangeResult}});
  if (exit == kExitDone) c.out << c.language.Text("strCliPasswordChanged") << "\n";
  return exit;
}

}  // namespace tusko::cli
