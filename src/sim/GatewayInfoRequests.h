#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// Request{LoaderVersion}: versions, run mode and name of the running program.
DeviceMessage HandleSystemInfo(GatewayState& state, const DeviceMessage& request);
// Request{LanInfo}: the LAN settings in the LanInfo layout.
DeviceMessage HandleLanInfo(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
