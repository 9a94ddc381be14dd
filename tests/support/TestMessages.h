#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "protocol/DeviceMessage.h"

namespace tusko::test {

struct TestElement {
  std::uint8_t id;
  std::vector<std::uint8_t> data;
};

// A text element as the gateway sends it: the characters, no NUL.
TestElement TextElement(std::uint8_t id, std::string_view text);

// A sealed message holding `elements`.
DeviceMessage SealedMessage(MessageType type, std::initializer_list<TestElement> elements);
DeviceMessage ReplyWith(std::initializer_list<TestElement> elements);
DeviceMessage EventWith(std::initializer_list<TestElement> elements);
// A Reject carrying `causeBytes` as its Cause (none when empty).
DeviceMessage RejectWith(std::initializer_list<std::uint8_t> causeBytes);

// The identifier of a message's first element, 0 when it has none.
std::uint8_t MainElement(const DeviceMessage& message);

}  // namespace tusko::test
