#pragma once

#include <ostream>

#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"

namespace tusko::cli {

// What a command runs with. `session` is null for the commands that work on
// files only and never reach the gateway.
struct CommandContext {
  CliSession* session;
  const CliOptions& options;
  const CliLanguage& language;
  std::ostream& out;
  std::ostream& err;
};

}  // namespace tusko::cli
