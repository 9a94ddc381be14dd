#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `cdr FILE [--format csv|txt|bin]`: downloads the gateway's new call detail
// records into FILE. The format follows the file's extension unless given;
// for a folder the file is named by the CDR name rule after today's date.
int RunCdr(const CommandContext& context);

}  // namespace tusko::cli
