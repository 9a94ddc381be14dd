#include "cli/FirmwareCommand.h"

#include <filesystem>
#include <string>

#include "app/session/UpdateFileFlows.h"
#include "cli/CliPrompts.h"
#include "cli/ExitCodes.h"
#include "cli/GatewayBackup.h"
#include "cli/GatewayRestartWait.h"
#include "cli/OperationWait.h"
#include "cli/PrintRows.h"
#include "protocol/FirmwareFile.h"

namespace tusko::cli {

namespace {

// The file checks and the version question; kExitDone to go on with the file open.
int CheckFile(const CommandContext& c, FirmwareFile& file) {
  const ProgramSettings& settings = c.session->settings();
  CliPrompts prompts(c.options, c.language, c.err);
  const FirmwareFileRules rules{settings.checkFirmwareVersion != 0, settings.checkFirmwareAddrSpace != 0};
  switch (PrepareFirmwareUpdate(file, c.options.commandArguments.front(), rules, CliText(c.language), prompts)) {
    case FirmwareFileVerdict::Ready: return kExitDone;
    case FirmwareFileVerdict::Refused: return kExitBadFile;
    case FirmwareFileVerdict::Declined: break;
  }
  c.err << c.language.Text("strCliCancelled") << "\n";
  return kExitCancelled;
}

// Runs the update with its progress bar. Ctrl-C asks the loader to cancel,
// and the wait goes on until the gateway is back in its firmware or known to
// be elsewhere.
WaitOutcome RunUpdate(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  return RunWithProgress(
      *c.session, c.err, [&engine] { return engine.StartFirmwareUpdate(); }, Notification::FirmwareResult,
      Notification::FirmwareProgress, [&engine] { engine.CancelFirmwareUpdate(); });
}

}  // namespace

int RunWriteFirmware(const CommandContext& c) {
  OperationEngine& engine = c.session->engine();
  FirmwareFile& file = engine.firmwareFile();
  if (const int checked = CheckFile(c, file); checked != kExitDone) return checked;
  if (const int backedUp = BackUpBeforeWrite(c); backedUp != kExitDone) {
    file.CloseFile();
    return backedUp;
  }
  const WaitOutcome outcome = RunUpdate(c);
  file.CloseFile();
  const int exit = ReportOutcome(DeviceCommand::WriteFirmware, outcome, c);
  if (exit == kExitDone) AwaitGatewayBack(*c.session);
  return exit;
}

}  // namespace tusko::cli
