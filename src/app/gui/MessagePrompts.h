#pragma once

#include "app/gui/MessageService.h"
#include "app/session/CommandPrompts.h"

namespace tusko::gui {

// The device commands' questions and problems as the desktop's message boxes.
class MessagePrompts final : public CommandPrompts {
 public:
  explicit MessagePrompts(MessageService& messages) : messages_(messages) {}

  Answer Ask(const CommandMessage& question) override;
  void Tell(const CommandMessage& message) override;

 private:
  int Show(const CommandMessage& message);

  MessageService& messages_;
};

}  // namespace tusko::gui
