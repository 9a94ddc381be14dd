#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace tusko {

// An XDG base folder: `variable` when it names an absolute path (a relative
// one is to be ignored), else `belowHome` in the home folder ($HOME
// when absolute, else the password database's entry); nothing when
// neither is known.
std::optional<std::filesystem::path> XdgBaseFolder(const char* variable, std::string_view belowHome);

// The program's data folder, $XDG_DATA_HOME/Ombrel/DravenixIsdnTusko, by
// default under ~/.local/share; nothing when no home folder is known.
std::optional<std::filesystem::path> UserDataFolder();

}  // namespace tusko
