#pragma once

namespace tusko::cli {

// Ctrl-C during a command: the first one asks the running operation to end
// cleanly (the command polls InterruptRequested); a second one ends the
// program at once with the cancelled exit code.
void InstallInterruptHandler();
bool InterruptRequested();

}  // namespace tusko::cli
