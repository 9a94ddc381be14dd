#pragma once

#include <ostream>

#include "cli/CliLanguage.h"
#include "cli/CliSession.h"

namespace tusko::cli {

// `tuskoctl info`: asks the gateway for its system information, then its LAN
// information, and prints both with the language's labels. Returns the exit code.
int RunInfoCommand(CliSession& session, const CliLanguage& language, std::ostream& out, std::ostream& err);

}  // namespace tusko::cli
