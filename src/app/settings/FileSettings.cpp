#include "app/settings/FileSettings.h"

#include <array>
#include <filesystem>
#include <system_error>

namespace tusko {
namespace {

using F = FileSettings;
using Value = SettingValue<F>;
constexpr auto kCwd = TextDefault::CurrentDirectory;

constexpr std::array kValues{
    TextValue("BrowsePathData", &F::browsePathData, kPathTextChars, kCwd),
    TextValue("BrowsePathCode", &F::browsePathCode, kPathTextChars, kCwd),
    TextValue("BrowsePathLog", &F::browsePathLog, kPathTextChars, kCwd),
    TextValue("BrowsePathCdr", &F::browsePathCdr, kPathTextChars, kCwd),
    NumberValue("OpenSaveFilterData", &F::openSaveFilterData, 1),
    NumberValue("OpenSaveFilterCode", &F::openSaveFilterCode, 1),
    NumberValue("OpenSaveFilterLog", &F::openSaveFilterLog, 1),
    NumberValue("OpenSaveFilterCdr", &F::openSaveFilterCdr, 1),
    TextValue("LastFlashWriteFile", &F::lastFlashWriteFile, kPathTextChars),
    TextValue("LastAnnouncementFile", &F::lastAnnouncementFile, kPathTextChars),
    NumberValue("SplitterPos1", &F::splitterPos1, 200),
    NumberValue("SplitterPos2", &F::splitterPos2, 0),
};

}  // namespace

FileSettings::FileSettings(std::string_view currentDirectory) {
  AssignDefaults<F>(*this, kValues, currentDirectory);
}

std::span<const Value> FileSettingValues() { return kValues; }

std::string CurrentDirectory() {
  std::error_code error;
  auto path = std::filesystem::current_path(error);
  return error ? std::string() : path.string();
}

FileSettings LoadFileSettings(SettingsStore& store, std::string_view currentDirectory) {
  FileSettings settings(currentDirectory);
  LoadValues<F>(store, kSettingsSection, settings, kValues, currentDirectory);
  return settings;
}

bool SaveFileSettings(SettingsStore& store, const FileSettings& settings) {
  return SaveValues<F>(store, kSettingsSection, settings, kValues);
}

}  // namespace tusko
