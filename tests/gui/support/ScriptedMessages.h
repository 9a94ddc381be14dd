#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/gui/MessageService.h"
#include "app/language/LanguageMessage.h"

namespace tusko::gui::test {

// Stands in for the message boxes: records every box and answers it from a
// script, or with the box's first button when the script is empty.
class ScriptedMessages final : public MessagePresenter {
 public:
  int Present(QWidget* owner, const MessageRequest& request) override;

  // The answers of the next boxes, in order (kResultYes, kResultNo, ...).
  void Answer(int result) { answers_.push_back(result); }
  const std::vector<MessageRequest>& shown() const { return shown_; }
  // The text keys of the boxes shown so far, in order.
  std::vector<std::string> ShownKeys() const;
  void Clear() { shown_.clear(); }
  // Runs while a box is up, as events that arrive meanwhile would.
  void WhileShown(std::function<void()> action) { whileShown_ = std::move(action); }

 private:
  std::deque<int> answers_;
  std::vector<MessageRequest> shown_;
  std::function<void()> whileShown_;
};

}  // namespace tusko::gui::test
