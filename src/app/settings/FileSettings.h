#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/settings/SettingValue.h"
#include "app/settings/SettingsStore.h"

namespace tusko {

// Browse folders, file-type filters, last firmware and announcement files and
// the main window's splitter positions. A new record holds every default; its
// four folders are `currentDirectory`.
struct FileSettings {
  explicit FileSettings(std::string_view currentDirectory);
  bool operator==(const FileSettings&) const = default;

  std::string browsePathData;   // folder of configuration files
  std::string browsePathCode;   // folder of firmware files
  std::string browsePathLog;
  std::string browsePathCdr;
  std::uint32_t openSaveFilterData{};  // 1-based file-type filter of the open and save dialogs
  std::uint32_t openSaveFilterCode{};
  std::uint32_t openSaveFilterLog{};
  std::uint32_t openSaveFilterCdr{};
  std::string lastFlashWriteFile;
  std::string lastAnnouncementFile;
  std::uint32_t splitterPos1{};
  std::uint32_t splitterPos2{};
};

std::span<const SettingValue<FileSettings>> FileSettingValues();

// The process's working directory, empty when it cannot be determined.
std::string CurrentDirectory();

// Always yields a record: what cannot be read takes its default.
FileSettings LoadFileSettings(SettingsStore& store, std::string_view currentDirectory = CurrentDirectory());
bool SaveFileSettings(SettingsStore& store, const FileSettings& settings);

}  // namespace tusko
