#pragma once

#include <chrono>
#include <optional>

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// Leaves the running program: the link end goes until `target` has started,
// `duration` later. Monitoring and a configuration write under way end.
void BeginRestart(GatewayState& state, GatewayPhase target, std::chrono::milliseconds duration);

// Reset: answers, then restarts into the loader. The answer is the last thing
// sent before the link end goes away.
DeviceMessage HandleReset(GatewayState& state, const DeviceMessage& request);
// SwitchToFirmware (loader only): answers and restarts into the firmware, or
// refuses with NoFirmware when there is none to start.
DeviceMessage HandleSwitchToFirmware(GatewayState& state, const DeviceMessage& request);

// Lets a restart under way run on; when it ends, the new program's start event
// (LoaderStarted or FirmwareStarted) is returned.
std::optional<DeviceMessage> AdvanceBoot(GatewayState& state, std::chrono::milliseconds elapsed);

}  // namespace tusko::sim
