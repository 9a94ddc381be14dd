#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tusko::cli {

// Asks for the gateway password on the terminal without echoing it. Nothing
// when there is no terminal to ask on or the input ends (Ctrl+D).
std::optional<std::string> PromptPassword(std::string_view prompt);

}  // namespace tusko::cli
