#include "cli/FirmwareCommand.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include "cli/ExitCodes.h"
#include "cli/GatewayRestartWait.h"
#include "cli/OperationWait.h"
#include "cli/UserQuestion.h"
#include "protocol/FirmwareFile.h"
#include "protocol/UpdateFileChecks.h"

namespace tusko::cli {

namespace {

// Time the loader has to confirm a cancel: every try of the cancel request.
std::chrono::milliseconds CancelLimit(const ProgramSettings& settings) {
  return std::chrono::milliseconds(settings.communicationTimeoutFlashLoad) * (kMaxTries + 1);
}

// The file checks that have messages of their own; kExitDone to go on.
int CheckFile(const CommandContext& c, FirmwareFile& file) {
  const ProgramSettings& settings = c.session->settings();
  const std::filesystem::path& path = c.options.commandArguments.front();
  if (const auto problem = OpenFirmwareFile(file, path, settings.checkFirmwareVersion != 0)) {
    c.err << c.language.Format("strFlashWriteFileError", {c.language.Text(*problem)}) << "\n";
    return kExitBadFile;
  }
  const FirmwareChecks checks = CheckFirmwareContents(file);
  if (!checks.addressesInRange && settings.checkFirmwareAddrSpace != 0) {
    c.err << c.language.Text("strFlashWriteFileErrorAddrSpace") << "\n";
    return kExitBadFile;
  }
  if (!checks.version && settings.checkFirmwareVersion != 0) {
    c.err << c.language.Text("strFlashWriteFileErrorVersion") << "\n";
    return kExitBadFile;
  }
  if (checks.version && !c.options.yes &&
      !AskYesNo(c.language.Format("strFlashWriteFileVersion", {*checks.version}), c.language)) {
    c.err << c.language.Text("strCliCancelled") << "\n";
    return kExitCancelled;
  }
  return kExitDone;
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
  if (const int checked = CheckFile(c, file); checked != kExitDone) {
    file.CloseFile();
    return checked;
  }
  file.Rewind();
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
