#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// Reads the gateway's configuration and saves it as a dated backup before a
// write, unless the settings or --no-backup switch backups off. kExitDone to
// go on with the write; else the exit code after the reason was told.
int BackUpBeforeWrite(const CommandContext& context);

}  // namespace tusko::cli
