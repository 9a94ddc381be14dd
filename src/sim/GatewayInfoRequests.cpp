#include "sim/GatewayInfoRequests.h"

namespace tusko::sim {

DeviceMessage HandleSystemInfo(GatewayState& state, const DeviceMessage&) {
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddSystemInfo(reply, state.identity, state.phase == GatewayPhase::Firmware);
  return reply;
}

DeviceMessage HandleLanInfo(GatewayState& state, const DeviceMessage&) {
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddElement(reply, ie::LanInfo, EncodeLanInfo(state.identity));
  return reply;
}

}  // namespace tusko::sim
