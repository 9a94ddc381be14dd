#pragma once

#include <cstdint>

#include "protocol/DeviceMessage.h"

namespace tusko::sim {

// A Reply that repeats the request's main element, empty; callers add data.
DeviceMessage MakeReply(std::uint8_t requestIe);
// A Reject carrying only the Cause.
DeviceMessage MakeReject(std::uint8_t cause);
// An event the gateway sends on its own: a Request with the event's element, empty.
DeviceMessage MakeEvent(std::uint8_t eventIe);

}  // namespace tusko::sim
