#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `tuskoctl ports`: the machine's serial ports, the gateway's first, for --serial.
int RunPorts(const CommandContext& c);

}  // namespace tusko::cli
