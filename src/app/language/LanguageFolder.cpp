#include "app/language/LanguageFolder.h"

#include <system_error>

#include "app/language/LanguageManager.h"

namespace tusko {

namespace {

constexpr const char* kDataFolderName = "dravenixisdntusko";

bool HoldsIndex(const std::filesystem::path& folder) {
  std::error_code error;
  return !folder.empty() && std::filesystem::is_regular_file(folder / kLanguageIndexFileName, error);
}

}  // namespace

std::filesystem::path FindLanguageIndexFolder(std::initializer_list<std::filesystem::path> fallbacks) {
  std::error_code error;
  const auto current = std::filesystem::current_path(error);
  if (!error && HoldsIndex(current)) return current;
  for (const auto& folder : fallbacks) {
    if (HoldsIndex(folder)) return folder;
  }
  return error ? std::filesystem::path() : current;
}

std::filesystem::path InstalledDataFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return {};
  return executable.parent_path().parent_path() / "share" / kDataFolderName;
}

}  // namespace tusko
