#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// The short device commands; each returns the exit code.
int RunLan(const CommandContext& c);
// `time` reads the gateway's clock; `time set ISO8601|now` sets it.
int RunTime(const CommandContext& c);
int RunRestart(const CommandContext& c);
// The module commands take the module's number as the user sees it: 1 or 2.
int RunModuleInfo(const CommandContext& c);
int RunModuleRestart(const CommandContext& c);
int RunCells(const CommandContext& c);
// Asks for the new password twice without echo, or takes TUSKO_NEW_PASSWORD.
int RunPassword(const CommandContext& c);

}  // namespace tusko::cli
