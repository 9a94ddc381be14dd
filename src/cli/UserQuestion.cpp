#include "cli/UserQuestion.h"

#include <cctype>
#include <iostream>

#include <unistd.h>

namespace tusko::cli {

bool AskYesNo(const std::string& question, const CliLanguage& language) {
  std::cerr << question << "\n";
  if (isatty(STDIN_FILENO) == 0) {
    std::cerr << language.Text("strCliAnswerHint") << "\n";
    return false;
  }
  const std::string yes = language.Text("strYes");
  std::cerr << "[" << yes << "/" << language.Text("strNo") << "] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer) || answer.empty()) return false;
  const auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  return lower(answer[0]) == 'y' || (!yes.empty() && lower(answer[0]) == lower(yes[0]));
}

}  // namespace tusko::cli
