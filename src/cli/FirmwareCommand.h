#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `write-firmware FILE`: checks a firmware file, asks whether to write the
// version it names (or --yes), writes it through the gateway's loader and
// waits for the new firmware to run.
int RunWriteFirmware(const CommandContext& context);

}  // namespace tusko::cli
