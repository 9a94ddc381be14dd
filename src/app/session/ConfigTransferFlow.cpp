#include "app/session/ConfigTransferFlow.h"

#include <string>

#include "app/session/VersionRule.h"

namespace tusko {

bool ConfirmConfigTransfer(ConfigTransferKind transfer, std::string_view firmwareVersion, CommandPrompts& prompts) {
  if (!VersionsAgree(firmwareVersion, kProgramDataVersion)) {
    const Answer accepted = prompts.Ask({.textKey = "strDataVersionConflict",
                                         .captionKey = "strWarning",
                                         .style = MessageStyle::WarningQuestion,
                                         .args = {std::string(firmwareVersion), std::string(kProgramDataVersion)},
                                         .question = QuestionKind::VersionConflict});
    if (accepted != Answer::Assumed) return accepted == Answer::Yes;
  }
  if (transfer == ConfigTransferKind::Read) return true;
  return prompts.Ask({.textKey = "strDataUploadConfirm",
                      .captionKey = "strDataUpload",
                      .style = MessageStyle::Question,
                      .args = {},
                      .question = QuestionKind::Confirmation}) != Answer::No;
}

}  // namespace tusko
