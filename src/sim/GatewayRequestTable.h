#pragma once

#include <cstdint>

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

using RequestHandler = DeviceMessage (*)(GatewayState& state, const DeviceMessage& request);

enum class RunsIn { Firmware, Loader, Both };

// One request the gateway understands, by its main element.
struct RequestRoute {
  std::uint8_t ie;
  RunsIn runsIn;
  RequestHandler handler;
};

// The route of a request's main element, or null when the gateway does not know it.
const RequestRoute* FindRoute(std::uint8_t requestIe);
bool RunsInPhase(const RequestRoute& route, GatewayPhase phase);
// Requests that must carry the login password when the gateway has one.
bool NeedsPassword(std::uint8_t requestIe);

}  // namespace tusko::sim
