#pragma once

#include <filesystem>
#include <initializer_list>

namespace tusko {

// Where LANG.INI is read from: the current directory when it holds one (the
// rule of the language files), else the first of `fallbacks` that holds one
// (an installed program's data folder, the source tree of a build), else the
// current directory, where the load then reports the missing file.
std::filesystem::path FindLanguageIndexFolder(std::initializer_list<std::filesystem::path> fallbacks);

// The data folder of an installed program: <prefix>/share/dravenixisdntusko
// beside <prefix>/bin of the running executable; empty when unknown.
std::filesystem::path InstalledDataFolder();

}  // namespace tusko
