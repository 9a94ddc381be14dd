#include "sim/GatewayReplies.h"

namespace tusko::sim {

namespace {

DeviceMessage MakeWithElement(MessageType type, std::uint8_t id) {
  DeviceMessage message = CreateMessage(type);
  AddElement(message, id, {});
  return message;
}

}  // namespace

DeviceMessage MakeReply(std::uint8_t requestIe) { return MakeWithElement(MessageType::Reply, requestIe); }

DeviceMessage MakeReject(std::uint8_t cause) {
  DeviceMessage message = CreateMessage(MessageType::Reject);
  AddElementBytes(message, ie::Cause, {cause});
  return message;
}

DeviceMessage MakeEvent(std::uint8_t eventIe) { return MakeWithElement(MessageType::Request, eventIe); }

}  // namespace tusko::sim
