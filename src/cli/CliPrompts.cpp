#include "cli/CliPrompts.h"

#include <vector>

#include "cli/UserQuestion.h"

namespace tusko::cli {

Answer CliPrompts::Ask(const CommandMessage& question) {
  const bool answered = question.question == QuestionKind::VersionConflict ? options_.force : options_.yes;
  if (answered) return Answer::Assumed;
  return AskYesNo(MessageText(question, language_), language_) ? Answer::Yes : Answer::No;
}

void CliPrompts::Tell(const CommandMessage& message) { err_ << MessageText(message, language_) << "\n"; }

std::string MessageText(const CommandMessage& message, const CliLanguage& language) {
  const std::vector<FormatArg> args(message.args.begin(), message.args.end());
  return language.Format(message.textKey, args);
}

}  // namespace tusko::cli
