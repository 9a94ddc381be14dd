#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// CdrData: the next chunk of call detail records, after the acknowledged one
// is deleted; also the utility's Reject of a chunk it could not store.
DeviceMessage HandleCdrData(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
