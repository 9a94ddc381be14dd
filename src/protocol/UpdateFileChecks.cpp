#include "protocol/UpdateFileChecks.h"

#include <system_error>

namespace tusko {

namespace {

// A file that cannot be opened is either missing or unreadable.
const char* OpenFailure(const std::filesystem::path& path, const char* missing, const char* unreadable) {
  std::error_code error;
  return std::filesystem::exists(path, error) ? unreadable : missing;
}

}  // namespace

FileProblemKey OpenFirmwareFile(FirmwareFile& file, const std::filesystem::path& path, bool versionRequired) {
  if (!file.OpenFile(path.string())) {
    return OpenFailure(path, "strFlashWriteFileErrorNoFile", "strFlashWriteFileErrorOpen");
  }
  file.SetIdentificationRequired(versionRequired);
  switch (file.Parse()) {
    case FirmwareParseResult::Ok: return std::nullopt;
    case FirmwareParseResult::CannotOpen: return "strFlashWriteFileErrorOpen";
    case FirmwareParseResult::Empty: return "strFlashWriteFileErrorEmpty";
    case FirmwareParseResult::FormatError: break;
  }
  return "strFlashWriteFileErrorFormat";
}

FirmwareChecks CheckFirmwareContents(FirmwareFile& file) {
  FirmwareChecks checks;
  AddressRange outside{};
  checks.addressesInRange = file.CheckAddresses(outside);
  std::string version;
  if (file.FindIdentification(version) && !version.empty()) checks.version = version;
  return checks;
}

FileProblemKey OpenAnnouncementFile(AnnouncementFile& file, const std::filesystem::path& path) {
  if (!file.OpenFile(path)) {
    return OpenFailure(path, "strAnnouncementFileErrorNoFile", "strAnnouncementFileErrorOpen");
  }
  switch (file.CheckWav()) {
    case WavCheck::Ok: return std::nullopt;
    case WavCheck::CannotOpen: return "strAnnouncementFileErrorOpen";
    case WavCheck::Empty: return "strAnnouncementFileErrorEmpty";
    case WavCheck::TooBig: return "strAnnouncementFileErrorTooBig";
    case WavCheck::BadFormat: break;
  }
  return "strAnnouncementFileErrorFormat";
}

}  // namespace tusko
