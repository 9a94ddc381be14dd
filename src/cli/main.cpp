// tuskoctl: the command-line front end of the configuration and service utility.
#include <iostream>
#include <span>
#include <string>

#include "Version.h"
#include "cli/CliLanguage.h"

int main(int argc, char** argv) {
  const auto parsed = tusko::cli::ExtractLanguageOptions(std::span<char* const>(argv + 1, argv + argc));
  tusko::cli::CliLanguage language;
  if (!language.Load(parsed.options, std::cerr)) return 1;
  if (parsed.error) {
    std::cerr << language.Format(parsed.error->key, {parsed.error->argument}) << "\n"
              << language.Text("strCliUsageHint") << "\n";
    return 2;
  }
  for (const std::string& arg : parsed.rest) {
    if (arg == "--help" || arg == "-h") {
      std::cout << language.Text("strCliUsage") << "\n";
      return 0;
    }
    if (arg == "--version") {
      std::cout << language.Format("strCliVersion", {tusko::kProgramVersion}) << "\n";
      return 0;
    }
  }
  if (!parsed.rest.empty()) std::cerr << language.Format("strCliUnknownArgument", {parsed.rest.front()}) << "\n";
  std::cerr << language.Text("strCliUsage") << "\n";
  return 2;
}
