// tuskoctl: the command-line front end of the configuration and service utility.
#include <iostream>
#include <span>
#include <string>

#include "Version.h"
#include "cli/CliLanguage.h"
#include "cli/CliOptions.h"
#include "cli/CliSession.h"
#include "cli/ExitCodes.h"
#include "cli/InfoCommand.h"

namespace {

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
  if (options.command.empty()) {
    std::cerr << language.Text("strCliUsage") << "\n";
    return kExitUsage;
  }

  CliSession session(options, language, std::cerr);
  if (const int prepared = session.Prepare(); prepared != kExitDone) return prepared;
  return RunInfoCommand(session, language, std::cout, std::cerr);
}
