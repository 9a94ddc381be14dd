#include "app/gui/MessagePrompts.h"

#include <vector>

namespace tusko::gui {

namespace {

unsigned BoxStyle(MessageStyle style) {
  switch (style) {
    case MessageStyle::Error: return kStyleError;
    case MessageStyle::Warning: return kStyleWarning;
    case MessageStyle::Information: return kStyleInformation;
    case MessageStyle::Question: return kStyleQuestion;
    case MessageStyle::WarningQuestion: return kStyleWarningQuestion;
  }
  return kStyleWarning;
}

}  // namespace

Answer MessagePrompts::Ask(const CommandMessage& question) {
  return Show(question) == kResultYes ? Answer::Yes : Answer::No;
}

void MessagePrompts::Tell(const CommandMessage& message) { Show(message); }

int MessagePrompts::Show(const CommandMessage& message) {
  const std::vector<FormatArg> args(message.args.begin(), message.args.end());
  return messages_.Show(message.textKey, message.captionKey, BoxStyle(message.style), args);
}

}  // namespace tusko::gui
