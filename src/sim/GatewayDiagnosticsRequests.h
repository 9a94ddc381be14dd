#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// The diagnostics polls: line status words, module status entries and the
// credit records, as they stand at the moment of the request. A request that
// names no line or module the gateway has is refused with InvalidData.
DeviceMessage HandleIsdnStatus(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleIsdnCredit(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleGsmStatus(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleGsmCredit(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
