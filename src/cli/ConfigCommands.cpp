#include "cli/ConfigCommands.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/session/CommandEnding.h"
#include "app/session/ConfigTransferFlow.h"
#include "app/session/WriteVerification.h"
#include "cli/CliPrompts.h"
#include "cli/ExitCodes.h"
#include "cli/GatewayBackup.h"
#include "cli/GatewayRestartWait.h"
#include "cli/Interrupt.h"
#include "cli/OperationWait.h"
#include "cli/PrintRows.h"
#include "cli/UserQuestion.h"
#include "config/ConfigurationFile.h"
#include "protocol/engine/ConfigTransfer.h"

namespace tusko::cli {

namespace {

enum class Direction { Download, Upload };

std::filesystem::path FileArgument(const CommandContext& c) { return c.options.commandArguments.front(); }

// --verify: reads the configuration back and names every field in which it
// differs from `written`, the image as the upload sent it.
int VerifyWrite(const CommandContext& c, const ConfigurationImage& written) {
  std::variant<ConfigurationImage, int> read = ReadGatewayConfiguration(c);
  if (const int* failed = std::get_if<int>(&read)) return *failed;
  const std::vector<std::string> differing =
      DifferingFields(written, std::get<ConfigurationImage>(read), CliText(c.language));
  if (differing.empty()) {
    c.out << c.language.Text("strCliVerified") << "\n";
    return kExitDone;
  }
  std::string names;
  for (const std::string& name : differing) names += (names.empty() ? "" : ", ") + name;
  c.err << c.language.Format("strCliVerifyFailed", {names}) << "\n";
  return kExitVerifyFailed;
}

int Cancelled(const CommandContext& c) {
  c.err << c.language.Text("strCliCancelled") << "\n";
  return kExitCancelled;
}

// What the window does before a transfer: system information first, then the
// version rule, then (for a write) the confirmation. kExitDone to go on.
int PrepareTransfer(const CommandContext& c, Direction direction) {
  OperationEngine& engine = c.session->engine();
  const WaitOutcome checked =
      RunOperation(*c.session, {.start = [&engine] { return engine.CheckSystemInfo(); },
                                .results = {Notification::SystemInfoResult}});
  if (!checked.Done()) return ReportOutcome(DeviceCommand::SystemInfo, checked, c);

  CliPrompts prompts(c.options, c.language, c.err);
  const ConfigTransferKind kind = direction == Direction::Upload ? ConfigTransferKind::Write : ConfigTransferKind::Read;
  return ConfirmConfigTransfer(kind, engine.deviceInformation().system.firmwareVersion, prompts) ? kExitDone
                                                                                                  : Cancelled(c);
}

}  // namespace

std::optional<ConfigurationImage> ReadConfigurationArgument(const CommandContext& c, const std::filesystem::path& path) {
  ConfigurationReadResult read = ReadConfigurationFile(path);
  if (read.outcome != ConfigurationReadOutcome::Read || !read.image) {
    c.err << c.language.Format("strDataOpenError", {c.language.Text(ConfigurationReadErrorKey(read.outcome))})
          << "\n";
    return std::nullopt;
  }
  if (!HasSignature(*read.image)) {
    c.err << c.language.Format("strDataOpenError", {c.language.Text("strDataOpenErrorFormat")}) << "\n";
    return std::nullopt;
  }
  return std::move(read.image);
}

int SaveConfiguration(const CommandContext& c, const std::filesystem::path& path, const ConfigurationImage& image,
                      std::string_view doneKey) {
  if (!WriteConfigurationFile(path, image).saved) {
    c.err << c.language.Text("strDataSaveError") << "\n";
    return kExitBadFile;
  }
  c.out << c.language.Format(doneKey, {path.string()}) << "\n";
  return kExitDone;
}

std::variant<ConfigurationImage, int> ReadGatewayConfiguration(const CommandContext& c) {
  if (const int prepared = PrepareTransfer(c, Direction::Download); prepared != kExitDone) return prepared;
  OperationEngine& engine = c.session->engine();
  const WaitOutcome outcome = RunWithProgress(
      *c.session, c.err, [&engine] { return engine.StartDownload(); }, Notification::DownloadResult, Notification::DownloadProgress,
      [&engine] { engine.CancelDownload(); });
  if (!outcome.Done()) return ReportOutcome(DeviceCommand::ReadConfiguration, outcome, c);
  // Only an image that carries its signature is taken over.
  const ConfigurationImage& image = engine.configTransfer().image();
  if (!HasSignature(image)) {
    c.err << c.language.Text("strCliDataInvalid") << "\n";
    return kExitInvalidData;
  }
  return image;
}

int RunReadConfig(const CommandContext& c) {
  std::variant<ConfigurationImage, int> read = ReadGatewayConfiguration(c);
  if (const int* failed = std::get_if<int>(&read)) return *failed;
  return SaveConfiguration(c, FileArgument(c), std::get<ConfigurationImage>(read), "strCliConfigSaved");
}

int RunWriteConfig(const CommandContext& c) {
  // The file is read before the gateway is asked anything.
  const std::optional<ConfigurationImage> image = ReadConfigurationArgument(c, FileArgument(c));
  if (!image) return kExitBadFile;
  if (const int backedUp = BackUpBeforeWrite(c); backedUp != kExitDone) return backedUp;
  if (const int prepared = PrepareTransfer(c, Direction::Upload); prepared != kExitDone) return prepared;
  OperationEngine& engine = c.session->engine();
  const WaitOutcome outcome = RunWithProgress(
      *c.session, c.err, [&engine, &image] { return engine.StartUpload(*image); }, Notification::UploadResult,
      Notification::UploadProgress, [&engine] { engine.CancelUpload(); });
  if (!outcome.Done()) return ReportOutcome(DeviceCommand::WriteConfiguration, outcome, c);
  const ConfigurationImage written = engine.configTransfer().image();
  c.out << MessageText(ConfigWrittenMessage(), c.language) << "\n" << std::flush;
  AwaitGatewayBack(*c.session);
  if (engine.state() == EngineState::Idle) c.out << MessageText(ConfigRunningAgainMessage(), c.language) << "\n";
  return c.options.verify ? VerifyWrite(c, written) : kExitDone;
}

int RunNewConfig(const CommandContext& c) {
  const std::filesystem::path path = FileArgument(c);
  std::error_code error;
  if (std::filesystem::exists(path, error) && !c.options.yes) {
    c.err << c.language.Format("strCliFileExists", {path.string()}) << "\n";
    return kExitBadFile;
  }
  return SaveConfiguration(c, path, MakeDefaultImage(), "strCliConfigSaved");
}

int RunCheckConfig(const CommandContext& c) {
  if (!ReadConfigurationArgument(c, FileArgument(c))) return kExitBadFile;
  c.out << c.language.Format("strCliConfigValid", {FileArgument(c).string()}) << "\n";
  return kExitDone;
}

}  // namespace tusko::cli
