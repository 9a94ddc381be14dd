#pragma once

// Requests as the utility sends them to the gateway model, and readings of its answers.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/ElementNumbers.h"
#include "protocol/TransferConstants.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "sim/GatewayModel.h"
#include "support/TestMessages.h"

namespace tusko::test {

inline std::vector<std::uint8_t> Number32(std::uint32_t value) {
  const auto bytes = EncodeNumber32(value);
  return {bytes.begin(), bytes.end()};
}

// The Password element as the utility adds it: the text and its NUL.
inline TestElement Password(std::string_view text) {
  TestElement element = TextElement(ie::Password, text);
  element.data.push_back(0);
  return element;
}

inline DeviceMessage Ask(std::initializer_list<TestElement> elements) {
  return SealedMessage(MessageType::Request, elements);
}
inline DeviceMessage Ask(std::uint8_t id, std::vector<std::uint8_t> data = {}) {
  return SealedMessage(MessageType::Request, {{id, std::move(data)}});
}

// The configuration transfer's requests, at device addresses.
inline DeviceMessage ConfigRead(std::vector<std::uint8_t> address = Number32(kConfigBaseAddress)) {
  return Ask({{ie::ConfigReadData, {}}, {ie::Address, std::move(address)}});
}
inline DeviceMessage ConfigWriteStart(std::uint32_t size = kConfigImageSize, std::uint32_t address = kConfigBaseAddress) {
  return Ask({{ie::ConfigWriteStart, Number32(size)}, {ie::Address, Number32(address)}});
}
// `length` bytes of `value` at image offset `offset`.
inline DeviceMessage ConfigWriteBlock(std::size_t offset, std::size_t length, std::uint8_t value = 0x21) {
  return Ask({{ie::ConfigWriteData, std::vector<std::uint8_t>(length, value)},
              {ie::Address, Number32(ConfigDeviceAddress(offset))}});
}
inline DeviceMessage ConfigWriteStop() { return Ask(ie::ConfigWriteStop, {kConfigWriteStopValue}); }

inline std::vector<std::uint8_t> Data(const DeviceMessage& message, std::uint8_t id) {
  const auto element = FindElement(message, id);
  return element ? std::vector<std::uint8_t>(element->data.begin(), element->data.end()) : std::vector<std::uint8_t>{};
}

// The one message of `answers`, which must be valid; an empty one after a failed check.
inline DeviceMessage Only(const std::vector<DeviceMessage>& answers) {
  EXPECT_EQ(answers.size(), 1u);
  if (answers.size() != 1) return DeviceMessage{};
  EXPECT_TRUE(HasKnownType(answers[0]));
  EXPECT_TRUE(IsChecksumValid(answers[0]));
  return answers[0];
}
inline DeviceMessage AnswerTo(sim::GatewayModel& gateway, const DeviceMessage& request) {
  return Only(gateway.Receive(request));
}

// The cause of a Reject; nothing for any other answer.
inline std::optional<std::uint8_t> RejectCause(const DeviceMessage& answer) {
  if (answer.type() != static_cast<std::uint8_t>(MessageType::Reject)) return std::nullopt;
  const auto cause = FindElement(answer, ie::Cause);
  if (!cause || cause->data.empty()) return std::nullopt;
  return cause->data[0];
}

inline bool IsReply(const DeviceMessage& answer) {
  return answer.type() == static_cast<std::uint8_t>(MessageType::Reply);
}

// What arrived, told from the bytes: "none", "several", "type", "checksum",
// "reject XX", or "reply XX" / "event XX" with the first element's identifier.
inline std::string Outcome(const std::vector<DeviceMessage>& answers) {
  if (answers.empty()) return "none";
  if (answers.size() > 1) return "several";
  const DeviceMessage& answer = answers.front();
  if (!HasKnownType(answer)) return "type";
  if (!IsChecksumValid(answer)) return "checksum";
  char text[16];
  if (answer.type() == static_cast<std::uint8_t>(MessageType::Reject)) {
    std::snprintf(text, sizeof text, "reject %02X", unsigned{RejectCause(answer).value_or(0)});
  } else {
    std::snprintf(text, sizeof text, "%s %02X", IsReply(answer) ? "reply" : "event", unsigned{MainElement(answer)});
  }
  return text;
}

}  // namespace tusko::test
