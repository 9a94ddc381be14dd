#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `tuskoctl diag`: one poll of the ISDN status and credits and the GSM status
// and credits, each printed as the bytes received and in words.
int RunDiag(const CommandContext& c);

}  // namespace tusko::cli
