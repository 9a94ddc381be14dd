#include "gui/support/ScriptedMessages.h"

#include <utility>

namespace tusko::gui::test {

namespace {

constexpr unsigned kButtonsMask = 0x0F;

int FirstButton(unsigned style) {
  const unsigned buttons = style & kButtonsMask;
  return buttons == kStyleYesNo || buttons == kStyleYesNoCancel ? kResultYes : kResultOk;
}

}  // namespace

int ScriptedMessages::Present(QWidget*, const MessageRequest& request) {
  shown_.push_back(request);
  if (auto action = std::exchange(whileShown_, nullptr)) action();
  if (answers_.empty()) return FirstButton(request.message.style);
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::vector<std::string> ScriptedMessages::ShownKeys() const {
  std::vector<std::string> keys;
  for (const MessageRequest& request : shown_) keys.push_back(request.textKey);
  return keys;
}

}  // namespace tusko::gui::test
