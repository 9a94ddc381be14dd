#include "support/TestMessages.h"

namespace tusko::test {

TestElement TextElement(std::uint8_t id, std::string_view text) { return {id, {text.begin(), text.end()}}; }

DeviceMessage SealedMessage(MessageType type, std::initializer_list<TestElement> elements) {
  DeviceMessage message = CreateMessage(type);
  for (const TestElement& element : elements) AddElement(message, element.id, element.data);
  SealMessage(message);
  return message;
}

DeviceMessage ReplyWith(std::initializer_list<TestElement> elements) {
  return SealedMessage(MessageType::Reply, elements);
}

DeviceMessage EventWith(std::initializer_list<TestElement> elements) {
  return SealedMessage(MessageType::Request, elements);
}

DeviceMessage RejectWith(std::initializer_list<std::uint8_t> causeBytes) {
  if (causeBytes.size() == 0) return SealedMessage(MessageType::Reject, {});
  return SealedMessage(MessageType::Reject, {{ie::Cause, std::vector<std::uint8_t>(causeBytes)}});
}

std::uint8_t MainElement(const DeviceMessage& message) {
  return message.ieLength() >= kElementHeaderSize ? message.ieArea()[0] : 0;
}

}  // namespace tusko::test
