#include "sim/GatewayMonitoring.h"

#include <string>

#include "sim/GatewayReplies.h"

namespace tusko::sim {

DeviceMessage HandleMonitorStart(GatewayState& state, const DeviceMessage&) {
  state.monitoring = true;
  // The first line of monitoring output comes with the answer.
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  const GatewayIdentity& identity = state.identity;
  const std::string banner = "Monitor on - " + identity.deviceName + " " + identity.firmwareVersion;
  AddTextElement(reply, ie::MonitorStart, banner, false);
  return reply;
}

DeviceMessage HandleMonitorStop(GatewayState& state, const DeviceMessage&) {
  state.monitoring = false;
  return MakeReply(ie::MonitorStop);
}

DeviceMessage HandleMonitorPoll(GatewayState&, const DeviceMessage&) { return MakeReply(ie::MonitorPoll); }

DeviceMessage HandleMonitorCommand(GatewayState& state, const DeviceMessage&) {
  if (!state.monitoring) return MakeReject(cause::NotAllowed);
  return MakeReply(ie::MonitorCommand);
}

}  // namespace tusko::sim
