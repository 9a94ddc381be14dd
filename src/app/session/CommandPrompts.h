#pragma once

#include <string>
#include <utility>
#include <vector>

namespace tusko {

// How a message to the user looks: the desktop's box styles; the command line
// writes every kind as a line.
enum class MessageStyle { Error, Warning, Information, Question, WarningQuestion };

// What answers a question when nobody is asked: the command line's --yes
// stands for confirmations, --force for accepting a version that differs.
enum class QuestionKind { Confirmation, VersionConflict };

// A message of a device command by its language keys, with its arguments
// already as texts.
struct CommandMessage {
  std::string textKey;
  std::string captionKey;
  MessageStyle style = MessageStyle::Warning;
  std::vector<std::string> args;
  QuestionKind question = QuestionKind::Confirmation;
};

// A problem told under the caption "strError".
inline CommandMessage ProblemMessage(std::string textKey, std::vector<std::string> args = {},
                                     MessageStyle style = MessageStyle::Warning) {
  return {.textKey = std::move(textKey),
          .captionKey = "strError",
          .style = style,
          .args = std::move(args),
          .question = QuestionKind::Confirmation};
}

enum class Answer {
  No,
  Yes,
  Assumed,  // yes by an option given beforehand, without the user being asked
};

// How a device command's checks ask and tell: the desktop answers with its
// message boxes, the command line with its prompts and options.
class CommandPrompts {
 public:
  virtual ~CommandPrompts() = default;
  virtual Answer Ask(const CommandMessage& question) = 0;
  virtual void Tell(const CommandMessage& message) = 0;
};

}  // namespace tusko
