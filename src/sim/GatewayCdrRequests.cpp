#include "sim/GatewayCdrRequests.h"

namespace tusko::sim {

DeviceMessage HandleCdrData(GatewayState& state, const DeviceMessage& request) { return state.cdr.Answer(request); }

}  // namespace tusko::sim
