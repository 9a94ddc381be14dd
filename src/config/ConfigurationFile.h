#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "config/ConfigurationFileFormat.h"
#include "config/ConfigurationImage.h"

namespace tusko {

enum class ConfigurationReadOutcome {
  Read,          // the image is complete
  CannotOpen,    // the file exists but cannot be opened ("strDataOpenErrorOpen")
  DoesNotExist,  // no file of that name ("strDataOpenErrorNoFile")
  FormatError,   // the content is no configuration file ("strDataOpenErrorFormat")
};

struct ConfigurationReadResult {
  ConfigurationReadOutcome outcome = ConfigurationReadOutcome::FormatError;
  // A new image, set only when the whole file was read: the caller's own
  // image is never half replaced.
  std::optional<ConfigurationImage> image;
  ConfigurationFileFault fault = ConfigurationFileFault::None;  // the format error's cause
  int systemError = 0;                                          // errno when it cannot be opened
};

// Opens the file for reading only; a missing file is reported, never created.
ConfigurationReadResult ReadConfigurationFile(const std::filesystem::path& path);

// The language key naming the outcome, shown as the argument of "strDataOpenError";
// empty for a successful read.
std::string_view ConfigurationReadErrorKey(ConfigurationReadOutcome outcome);

struct ConfigurationWriteResult {
  bool saved = false;
  int systemError = 0;  // errno of the step that failed
};

// Writes the whole file beside the old one and renames it into place, so a
// save that fails half-way leaves the previous file as it was.
ConfigurationWriteResult WriteConfigurationFile(const std::filesystem::path& path, const ConfigurationImage& image);

}  // namespace tusko
