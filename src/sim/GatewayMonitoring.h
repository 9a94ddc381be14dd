#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// The live monitoring controls. Commands are taken only while monitoring runs;
// the keep-alive poll is always answered.
DeviceMessage HandleMonitorStart(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleMonitorStop(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleMonitorPoll(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleMonitorCommand(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
