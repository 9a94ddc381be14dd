#include "app/session/ConfigBackups.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <vector>

#include "app/settings/UserFolders.h"
#include "config/ConfigurationFile.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kBackupsFolder = "backups";
constexpr std::string_view kExtension = ".cfg";
constexpr std::string_view kNamelessDevice = "gateway";
constexpr std::uintmax_t kBytesPerKByte = 1024;
// Names tried within one second before giving up; far more than writes a second can make.
constexpr int kMaxSameSecondNames = 100;

struct Backup {
  fs::path path;
  fs::file_time_type written;
  std::uintmax_t bytes = 0;
};

std::vector<Backup> ListBackups(const fs::path& folder) {
  std::vector<Backup> backups;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    std::error_code entryError;
    if (!entry.is_regular_file(entryError) || entry.path().extension() != kExtension) continue;
    const auto written = entry.last_write_time(entryError);
    const auto bytes = entry.file_size(entryError);
    if (!entryError) backups.push_back({entry.path(), written, bytes});
  }
  // Oldest first; within one time the name decides, as it holds the time to the second.
  std::ranges::sort(backups, [](const Backup& a, const Backup& b) {
    return a.written != b.written ? a.written < b.written : a.path < b.path;
  });
  return backups;
}

}  // namespace

BackupTime LocalTimeNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  ::localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::optional<BackupRules> BackupRulesFrom(const ProgramSettings& settings, bool switchedOff) {
  if (switchedOff || settings.configBackup == 0) return std::nullopt;
  const std::optional<fs::path> data = UserDataFolder();
  if (!data) return std::nullopt;
  return BackupRules{*data / kBackupsFolder, std::uintmax_t{settings.configBackupMaxKBytes} * kBytesPerKByte};
}

std::string SafeDeviceName(std::string_view deviceName) {
  std::string safe;
  for (const char c : deviceName) {
    const auto byte = static_cast<unsigned char>(c);
    safe += (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) ? '_' : c;
  }
  // A leading dot would hide the file, and "." or ".." name folders.
  while (!safe.empty() && (safe.front() == '.' || safe.front() == ' ')) safe.erase(0, 1);
  while (!safe.empty() && safe.back() == ' ') safe.pop_back();
  return safe.empty() ? std::string(kNamelessDevice) : safe;
}

std::string BackupFileName(std::string_view deviceName, const BackupTime& time) {
  std::array<char, 32> stamp{};
  std::snprintf(stamp.data(), stamp.size(), "-%04d%02d%02d-%02d%02d%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  return SafeDeviceName(deviceName) + stamp.data() + std::string(kExtension);
}

std::optional<fs::path> SaveConfigBackup(const BackupRules& rules, std::string_view deviceName,
                                         const BackupTime& time, const ConfigurationImage& image) {
  std::error_code error;
  fs::create_directories(rules.folder, error);
  if (error) return std::nullopt;
  const fs::path first = rules.folder / BackupFileName(deviceName, time);
  fs::path path = first;
  for (int n = 2; fs::exists(path, error) || error; ++n) {
    if (error || n > kMaxSameSecondNames) return std::nullopt;
    path = rules.folder / (first.stem().string() + "-" + std::to_string(n) + std::string(kExtension));
  }
  if (!WriteConfigurationFile(path, image).saved) return std::nullopt;
  PruneBackups(rules.folder, rules.maxBytes, path);
  return path;
}

void PruneBackups(const fs::path& folder, std::uintmax_t maxBytes, const fs::path& keep) {
  const std::vector<Backup> backups = ListBackups(folder);
  std::uintmax_t total = 0;
  for (const Backup& backup : backups) total += backup.bytes;
  for (const Backup& backup : backups) {
    if (total <= maxBytes) return;
    std::error_code error;
    if (backup.path == keep || !fs::remove(backup.path, error)) continue;
    total -= backup.bytes;
  }
}

}  // namespace tusko
