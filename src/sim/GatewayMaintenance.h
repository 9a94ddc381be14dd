#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// DateTime: empty reads the clock, six bytes set it; both answer with the clock
// and the date of the last setting.
DeviceMessage HandleDateTime(GatewayState& state, const DeviceMessage& request);
// NewPassword: the old password has already been checked; takes the new one.
DeviceMessage HandleNewPassword(GatewayState& state, const DeviceMessage& request);
// ModuleType, ModuleReset, ModuleCells: one byte, the module index.
DeviceMessage HandleModuleType(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleModuleReset(GatewayState& state, const DeviceMessage& request);
DeviceMessage HandleModuleCells(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
