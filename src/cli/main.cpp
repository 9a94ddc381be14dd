// tuskoctl: the command-line front end of the configuration and service utility.
#include <iostream>
#include <span>
#include <string>
#include <string_view>

#include "Version.h"
#include "cli/AnnouncementCommand.h"
#include "cli/CdrCommand.h"
#include "cli/CliCommand.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/ConfigCommands.h"
#include "cli/DeviceCommands.h"
#include "cli/DiagCommand.h"
#include "cli/ExitCodes.h"
#include "cli/FirmwareCommand.h"
#include "cli/InfoCommand.h"
#include "cli/Interrupt.h"
#include "cli/PortsCommand.h"
#include "cli/TextCommands.h"

namespace {

using tusko::cli::CommandContext;

struct CommandEntry {
  std::string_view name;
  bool needsGateway;
  int (*run)(const CommandContext&);
};

constexpr CommandEntry kCommands[] = {
    {"info", true, tusko::cli::RunInfo},
    {"read-config", true, tusko::cli::RunReadConfig},
    {"write-config", true, tusko::cli::RunWriteConfig},
    {"write-firmware", true, tusko::cli::RunWriteFirmware},
    {"new-config", false, tusko::cli::RunNewConfig},
    {"check-config", false, tusko::cli::RunCheckConfig},
    {"announcement", true, tusko::cli::RunAnnouncement},
    {"lan", true, tusko::cli::RunLan},
    {"time", true, tusko::cli::RunTime},
    {"restart", true, tusko::cli::RunRestart},
    {"module-info", true, tusko::cli::RunModuleInfo},
    {"module-restart", true, tusko::cli::RunModuleRestart},
    {"cells", true, tusko::cli::RunCells},
    {"password", true, tusko::cli::RunPassword},
    {"diag", true, tusko::cli::RunDiag},
    {"ports", false, tusko::cli::RunPorts},
    {"cdr", true, tusko::cli::RunCdr},
    {"export", false, tusko::cli::RunExport},
    {"import", false, tusko::cli::RunImport},
    {"get", false, tusko::cli::RunGet},
    {"set", false, tusko::cli::RunSet},
    // Reaches the gateway only when one side is "gateway".
    {"diff", false, tusko::cli::RunDiff},
};

const CommandEntry* FindCommand(std::string_view name) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.name == name) return &entry;
  }
  return nullptr;
}

// Every usage message takes at most two arguments; missing ones print empty.
int ReportUsageError(const tusko::cli::CliLanguage& language, std::string_view key,
                     std::span<const std::string> arguments) {
  const auto argument = [&arguments](std::size_t i) { return i < arguments.size() ? arguments[i] : std::string(); };
  std::cerr << language.Format(key, {argument(0), argument(1)}) << "\n" << language.Text("strCliUsageHint") << "\n";
  return tusko::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tusko::cli;

  const auto parsed = ExtractLanguageOptions(std::span<char* const>(argv + 1, argv + argc));
  CliLanguage language;
  if (!language.Load(parsed.options, std::cerr)) return kExitStartFailed;
  if (parsed.error) return ReportUsageError(language, parsed.error->key, std::span(&parsed.error->argument, 1));

  const CliOptionsParse cli = ParseCliOptions(parsed.rest);
  if (cli.error) return ReportUsageError(language, cli.error->key, cli.error->arguments);
  const CliOptions& options = cli.options;
  if (options.help) {
    std::cout << language.Text("strCliUsage") << "\n";
    return kExitDone;
  }
  if (options.version) {
    std::cout << language.Format("strCliVersion", {tusko::kProgramVersion}) << "\n";
    return kExitDone;
  }
  const CommandEntry* command = FindCommand(options.command);
  if (command == nullptr) {
    std::cerr << language.Text("strCliUsage") << "\n";
    return kExitUsage;
  }
  if (!command->needsGateway) return command->run({nullptr, options, language, std::cout, std::cerr});

  CliSession session(options, language, std::cerr);
  if (const int prepared = session.Prepare(); prepared != kExitDone) return prepared;
  InstallInterruptHandler();
  return command->run({&session, options, language, std::cout, std::cerr});
}
