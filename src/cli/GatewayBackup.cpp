#include "cli/GatewayBackup.h"

#include <optional>
#include <variant>

#include "app/session/ConfigBackups.h"
#include "cli/ConfigCommands.h"
#include "cli/ExitCodes.h"

namespace tusko::cli {

int BackUpBeforeWrite(const CommandContext& c) {
  const std::optional<BackupRules> rules = BackupRulesFrom(c.session->settings(), c.options.noBackup);
  if (!rules) return kExitDone;
  std::variant<ConfigurationImage, int> read = ReadGatewayConfiguration(c);
  if (const int* failed = std::get_if<int>(&read)) {
    c.err << c.language.Text("strCliBackupNotMade") << "\n";
    return *failed;
  }
  const std::string& deviceName = c.session->engine().deviceInformation().system.deviceName;
  const std::optional<std::filesystem::path> saved =
      SaveConfigBackup(*rules, deviceName, LocalTimeNow(), std::get<ConfigurationImage>(read));
  if (!saved) {
    c.err << c.language.Format("strCliBackupSaveError", {rules->folder.string()}) << "\n"
          << c.language.Text("strCliBackupNotMade") << "\n";
    return kExitBadFile;
  }
  c.out << c.language.Format("strCliBackupSaved", {saved->string()}) << "\n";
  return kExitDone;
}

}  // namespace tusko::cli
