#pragma once

#include "cli/CliCommand.h"

namespace tusko::cli {

// `announcement KIND FILE`: replaces one of the gateway's voice announcements
// (KIND moh, outgoing or incoming, or 0, 1, 2) with a WAV file, after the
// file was checked.
int RunAnnouncement(const CommandContext& context);

}  // namespace tusko::cli
