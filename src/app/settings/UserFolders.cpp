#include "app/settings/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <array>
#include <cstdlib>

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kPasswordBufferBytes = 16384;
constexpr std::string_view kDefaultDataFolder = ".local/share";

std::optional<fs::path> HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return fs::path(home);
  std::array<char, kPasswordBufferBytes> buffer{};
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return std::nullopt;
  }
  return fs::path(found->pw_dir);
}

}  // namespace

std::optional<fs::path> XdgBaseFolder(const char* variable, std::string_view belowHome) {
  if (const char* given = std::getenv(variable); given != nullptr && given[0] == '/') return fs::path(given);
  if (const auto home = HomeFolder()) return *home / belowHome;
  return std::nullopt;
}

std::optional<fs::path> UserDataFolder() {
  const std::optional<fs::path> base = XdgBaseFolder("XDG_DATA_HOME", kDefaultDataFolder);
  if (!base) return std::nullopt;
  return *base / "Ombrel" / "DravenixIsdnTusko";
}

}  // namespace tusko
