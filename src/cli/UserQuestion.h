#pragma once

#include <string>

#include "cli/CliLanguage.h"

namespace tusko::cli {

// Asks a yes/no question on the terminal; the answer is yes only when it
// starts with the language's "Yes" or "y". No terminal to ask on means no,
// with a hint at the options that answer in advance.
bool AskYesNo(const std::string& question, const CliLanguage& language);

}  // namespace tusko::cli
