#pragma once

namespace tusko::cli {

// tuskoctl's exit codes; the usage text lists them.
enum ExitCode : int {
  kExitDone = 0,
  kExitStartFailed = 1,    // no language file, no log file, no built-in simulator
  kExitUsage = 2,          // the command line was not understood
  kExitRejected = 3,       // the gateway refused the request
  kExitNoAnswer = 4,       // the gateway did not answer
  kExitPasswordRefused = 5,
  kExitNoLink = 6,         // the link to the gateway could not be opened
  kExitCancelled = 7,      // the user said no, or pressed Ctrl-C
  kExitBadFile = 8,        // a configuration file that cannot be read or written
  kExitInvalidData = 9,    // the gateway sent a configuration without its signature
  kExitBadText = 10,       // a configuration text, field or value refused
  kExitVerifyFailed = 11,  // the configuration read back differs from the one written
};

// diff's answer when the two configurations differ.
enum DiffExitCode : int {
  kExitDiffers = 1,
};

}  // namespace tusko::cli
