#include "sim/GatewayMonitoring.h"

#include "sim/GatewayReplies.h"

namespace tusko::sim {

DeviceMessage HandleMonitorStart(GatewayState& state, const DeviceMessage&) {
  state.monitoring = true;
  return MakeReply(ie::MonitorStart);
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
