#include "app/session/ConfigTransferFlow.h"

#include <string>

#include "app/session/VersionRule.h"

namespace tusko {

std::optional<Answer> AskVersionQuestion(std::string_view firmwareVersion, CommandPrompts& prompts) {
  if (VersionsAgree(firmwareVersion, kProgramDataVersion)) return std::nullopt;
  return prompts.Ask({.textKey = "strDataVersionConflict",
                      .captionKey = "strWarning",
                      .style = MessageStyle::WarningQuestion,
                      .args = {std::string(firmwareVersion), std::string(kProgramDataVersion)},
                      .question = QuestionKind::VersionConflict});
}

bool ConfirmConfigTransfer(ConfigTransferKind transfer, std::string_view firmwareVersion, CommandPrompts& prompts) {
  if (const auto accepted = AskVersionQuestion(firmwareVersion, prompts); accepted && *accepted != Answer::Assumed) {
    return *accepted == Answer::Yes;
  }
  if (transfer == ConfigTransferKind::Read) return true;
  return prompts.Ask({.textKey = "strDataUploadConfirm",
                      .captionKey = "strDataUpload",
                      .style = MessageStyle::Question,
                      .args = {},
                      .question = QuestionKind::Confirmation}) != Answer::No;
}

}  // namespace tusko
