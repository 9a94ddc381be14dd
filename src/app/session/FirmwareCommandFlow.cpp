#include "app/session/FirmwareCommandFlow.h"

#include "protocol/UpdateFileChecks.h"

namespace tusko {

namespace {

CommandMessage FileProblem(const char* textKey, std::vector<std::string> args = {}) {
  return {.textKey = textKey,
          .captionKey = "strError",
          .style = MessageStyle::Warning,
          .args = std::move(args),
          .question = QuestionKind::Confirmation};
}

}  // namespace

FirmwareFileVerdict PrepareFirmwareUpdate(FirmwareFile& file, const std::filesystem::path& path,
                                          const FirmwareFileRules& rules, const TextLookup& text,
                                          CommandPrompts& prompts) {
  const auto refuse = [&](const CommandMessage& problem) {
    file.CloseFile();
    prompts.Tell(problem);
    return FirmwareFileVerdict::Refused;
  };
  if (const auto problem = OpenFirmwareFile(file, path, rules.versionRequired)) {
    return refuse(FileProblem("strFlashWriteFileError", {text(*problem)}));
  }
  const FirmwareChecks checks = CheckFirmwareContents(file);
  if (!checks.addressesInRange && rules.addressesChecked) return refuse(FileProblem("strFlashWriteFileErrorAddrSpace"));
  if (!checks.version) {
    if (rules.versionRequired) return refuse(FileProblem("strFlashWriteFileErrorVersion"));
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

}  // namespace tusko
