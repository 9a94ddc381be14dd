#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `read-config FILE`: reads the gateway's configuration into a file.
int RunReadConfig(const CommandContext& context);
// `write-config FILE`: writes a configuration file to the gateway, after the
// file was read whole and the user agreed (or --yes / --force).
int RunWriteConfig(const CommandContext& context);
// `new-config FILE`: a new default configuration; an existing file only with --yes.
int RunNewConfig(const CommandContext& context);
// `check-config FILE`: reads a configuration file and says whether it is sound.
int RunCheckConfig(const CommandContext& context);

}  // namespace tusko::cli
