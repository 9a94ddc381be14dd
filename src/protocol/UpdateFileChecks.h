#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "protocol/AnnouncementFile.h"
#include "protocol/FirmwareFile.h"

namespace tusko {

// Why a file cannot be sent: the detail key that goes into the file error
// message ("strFlashWriteFileError" or "strAnnouncementFileError"). Both front
// ends check files the same way before anything reaches the gateway.
using FileProblemKey = std::optional<const char*>;

// Opens and reads a firmware file; the key of the problem, or nothing when it
// can be read. A version text is required unless `versionRequired` is false.
FileProblemKey OpenFirmwareFile(FirmwareFile& file, const std::filesystem::path& path, bool versionRequired);

// After OpenFirmwareFile: the firmware file's own checks, which have
// messages of their own rather than a detail text.
struct FirmwareChecks {
  bool addressesInRange = true;
  std::optional<std::string> version;  // the identification text, when the file has one
};
FirmwareChecks CheckFirmwareContents(FirmwareFile& file);

// Opens and checks an announcement file; the key of the problem, or nothing.
FileProblemKey OpenAnnouncementFile(AnnouncementFile& file, const std::filesystem::path& path);

}  // namespace tusko
