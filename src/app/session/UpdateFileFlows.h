#pragma once

#include <filesystem>

#include "app/session/CommandPrompts.h"
#include "base/TextLookup.h"
#include "protocol/AnnouncementFile.h"
#include "protocol/FirmwareFile.h"

namespace tusko {

// The firmware file checks that the settings can switch off.
struct FirmwareFileRules {
  bool versionRequired = true;   // CheckFirmwareVersion
  bool addressesChecked = true;  // CheckFirmwareAddrSpace
};

enum class FirmwareFileVerdict {
  Ready,     // `file` is open and rewound for the update
  Refused,   // the file cannot be sent; the problem was told
  Declined,  // the user did not accept the file's version
};

// The checks of Write firmware before anything is sent, in their order: the
// file opens and parses, its sections lie in the flash window, it names its
// version, and the user accepts that version. The file is closed unless Ready.
FirmwareFileVerdict PrepareFirmwareUpdate(FirmwareFile& file, const std::filesystem::path& path, const FirmwareFileRules& rules,
                                          const TextLookup& text, CommandPrompts& prompts);

// The check of Update announcement before anything is sent: the file opens as
// a sendable WAV file. True with `file` open; otherwise it is closed and the
// problem was told.
bool PrepareAnnouncementUpdate(AnnouncementFile& file, const std::filesystem::path& path, const TextLookup& text,
                               CommandPrompts& prompts);

}  // namespace tusko
