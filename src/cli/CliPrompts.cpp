#include "cli/CliPrompts.h"

#include <vector>

#include "cli/UserQuestion.h"

namespace tusko::cli {

Answer CliPrompts::Ask(const CommandMessage& question) {
  const bool answered = question.question == QuestionKind::VersionConflict ? options_.force : options_.yes;
  if (answered) return Answer::Assumed;
  return AskYesNo(Text(question), language_) ? Answer::Yes : Answer::No;
}

void CliPrompts::Tell(const CommandMessage& message) { err_ << Text(message) << "\n"; }

std::string CliPrompts::Text(const CommandMessage& message) const {
  const std::vector<FormatArg> args(message.args.begin(), message.args.end());
  return language_.Format(message.textKey, args);
}

}  // namespace tusko::cli
