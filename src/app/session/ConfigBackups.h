#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "app/settings/ProgramSettings.h"
#include "config/ConfigurationImage.h"

namespace tusko {

// A wall-clock time of the user's zone, as a backup's name shows it.
struct BackupTime {
  int year = 0;
  int month = 0;   // 1-12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The computer's local time now; the front ends pass it in, so the rules below read no clock.
BackupTime LocalTimeNow();

// Where backups go and how much the folder may hold.
struct BackupRules {
  std::filesystem::path folder;
  std::uintmax_t maxBytes = 0;
};

// From the settings: nothing when backups are switched off (by the setting or
// `switchedOff`, the command line's --no-backup) or no data folder is known.
std::optional<BackupRules> BackupRulesFrom(const ProgramSettings& settings, bool switchedOff);

// The device name fit for a file name: no '/' or '\', no control character,
// no leading dot; "gateway" when nothing is left.
std::string SafeDeviceName(std::string_view deviceName);
// "<safe device name>-YYYYMMDD-HHMMSS.cfg".
std::string BackupFileName(std::string_view deviceName, const BackupTime& time);

// Saves `image` under its dated name in the rules' folder (made when missing;
// a name taken within the same second gets "-2", "-3"... before ".cfg"), then
// prunes the folder. The file's path, or nothing when it could not be saved.
std::optional<std::filesystem::path> SaveConfigBackup(const BackupRules& rules, std::string_view deviceName,
                                                      const BackupTime& time, const ConfigurationImage& image);

// Removes the oldest ".cfg" files of `folder` until their sizes sum to at most
// `maxBytes`; `keep` stays even when it alone is larger.
void PruneBackups(const std::filesystem::path& folder, std::uintmax_t maxBytes, const std::filesystem::path& keep);

}  // namespace tusko
