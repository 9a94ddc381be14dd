#include "app/session/UpdateFileFlows.h"

#include "protocol/UpdateFileChecks.h"

namespace tusko {

FirmwareFileVerdict PrepareFirmwareUpdate(FirmwareFile& file, const std::filesystem::path& path,
                                          const FirmwareFileRules& rules, const TextLookup& text,
                                          CommandPrompts& prompts) {
  const auto refuse = [&](const CommandMessage& problem) {
    file.CloseFile();
    prompts.Tell(problem);
    return FirmwareFileVerdict::Refused;
  };
  if (const auto problem = OpenFirmwareFile(file, path, rules.versionRequired)) {
    return refuse(ProblemMessage("strFlashWriteFileError", {text(*problem)}));
  }
  const FirmwareChecks checks = CheckFirmwareContents(file);
  if (!checks.addressesInRange && rules.addressesChecked) return refuse(ProblemMessage("strFlashWriteFileErrorAddrSpace"));
  if (!checks.version) {
    if (rules.versionRequired) return refuse(ProblemMessage("strFlashWriteFileErrorVersion"));
  } else if (prompts.Ask({.textKey = "strFlashWriteFileVersion",
                          .captionKey = "strFlashWrite",
                          .style = MessageStyle::WarningQuestion,
                          .args = {*checks.version},
                          .question = QuestionKind::Confirmation}) == Answer::No) {
    file.CloseFile();
    return FirmwareFileVerdict::Declined;
  }
  file.Rewind();
  return FirmwareFileVerdict::Ready;
}

bool PrepareAnnouncementUpdate(AnnouncementFile& file, const std::filesystem::path& path, const TextLookup& text,
                               CommandPrompts& prompts) {
  const auto problem = OpenAnnouncementFile(file, path);
  if (!problem) return true;
  file.CloseFile();
  prompts.Tell(ProblemMessage("strAnnouncementFileError", {text(*problem)}));
  return false;
}

}  // namespace tusko
