#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `tuskoctl info`: asks the gateway for its system information, then its LAN
// information, and prints both with the language's labels. Returns the exit code.
int RunInfo(const CommandContext& c);

}  // namespace tusko::cli
