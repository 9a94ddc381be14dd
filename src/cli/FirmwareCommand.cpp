#include "cli/FirmwareCommand.h"

#include <chrono>
#include <filesystem>
#include <string>

#include "app/session/FirmwareCommandFlow.h"
#include "cli/CliPrompts.h"
#include "cli/ExitCodes.h"
#include "cli/GatewayRestartWait.h"
#include "cli/OperationWait.h"
#include "protocol/FirmwareFile.h"

namespace tusko::cli {

namespace {

// Time the loader has to confirm a cancel: every try of the cancel request.
std::chrono::milliseconds CancelLimit(const ProgramSettings& settings) {
  return std::chrono::milliseconds(settings.communicationTimeoutFlashLoad) * (kMaxTries + 1);
}

// The file checks and the version question; kExitDone to go on with the file open.
int CheckFile(const CommandContext& c, FirmwareFile& file) {
  const ProgramSettings& settings = c.session->settings();
  CliPrompts prompts(c.options, c.language, c.err);
  const FirmwareFileRules rules{settings.checkFirmwareVersion != 0, settings.checkFirmwareAddrSpace != 0};
  const auto text = [&c](std::string_view key) { return c.language.Text(key); };
  switch (PrepareFirmwareUpdate(file, c.options.commandArguments.front(), rules, text, prompts)) {
    case FirmwareFileVerdict::Ready: return kExitDone;
    case FirmwareFileVerdict::Refused: return kExitBadFile;
    case FirmwareFileVerdict::Declined: break;
  }
  c.err << c.language.Text("strCliCancelled") << "\n";
  return kExitCancelled;
}

// Runs the update with its progress bar. Ctrl-C asks the loader to cancel,
// and the wait goes on until it did, so that the gateway is left in a known state.
WaitOutcome RunUpdate(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  const WaitOutcome outcome = RunWithProgress(
      *c.session, c.err, [&engine] { return engine.StartFirmwareUpdate(); }, Notification::FirmwareResult,
      Notification::FirmwareProgress, [&engine] { engine.CancelFirmwareUpdate(); });
  if (outcome.end != WaitEnd::Interrupted) return outcome;
  c.session->loop().RunUntil(
      [&engine] { return engine.state() == EngineState::Idle || engine.state() == EngineState::Failed; },
      CancelLimit(c.session->settings()));
  return outcome;
}

}  // namespace

int RunWriteFirmware(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  FirmwareFile& file = engine.firmwareFile();
  if (const int checked = CheckFile(c, file); checked != kExitDone) return checked;
  const WaitOutcome outcome = RunUpdate(c);
  file.CloseFile();
  if (outcome.Done()) {
    c.out << c.language.Text("strFlashWriteOK") << "\n";
    AwaitGatewayBack(*c.session);
    return kExitDone;
  }
  // An update ended by a refused login prompt needs no further word.
  const bool passwordRefused =
      outcome.end == WaitEnd::Result && outcome.result == static_cast<int>(OperationResult::PasswordRefused);
  return ReportOutcome(outcome, passwordRefused ? "" : "strFlashWriteError", engine, c.language, c.err);
}

}  // namespace tusko::cli
