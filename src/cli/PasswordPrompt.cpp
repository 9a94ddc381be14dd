#include "cli/PasswordPrompt.h"

#include <iostream>

#include <termios.h>
#include <unistd.h>

namespace tusko::cli {

std::optional<std::string> PromptPassword(std::string_view prompt) {
  if (isatty(STDIN_FILENO) == 0) return std::nullopt;
  termios saved{};
  const bool canHide = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (canHide) {
    termios hidden = saved;
    hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
  }
  std::cerr << prompt << ' ' << std::flush;
  std::string password;
  const bool given = static_cast<bool>(std::getline(std::cin, password));
  if (canHide) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  std::cerr << '\n';
  if (!given) return std::nullopt;
  return password;
}

}  // namespace tusko::cli
