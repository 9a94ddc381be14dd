#include "cli/Interrupt.h"

#include <csignal>

#include <unistd.h>

#include "cli/ExitCodes.h"

namespace tusko::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
  if (interrupted != 0) ::_exit(kExitCancelled);
  interrupted = 1;
}

}  // namespace

void InstallInterruptHandler() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: the loop's wait returns at once and sees the request.
  action.sa_flags = 0;
  ::sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

}  // namespace tusko::cli
