#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// Configuration memory at device address 0x70000 + image offset. Requests
// with a missing or malformed Address, an address outside the image, or a
// block the memory cannot take are refused with NotAllowed.

// ConfigReadData: up to 128 bytes from the Address (fewer at the end of the image).
DeviceMessage HandleConfigReadData(GatewayState& state, const DeviceMessage& request);
// ConfigWriteStart: the image size and the base address. With restartForWrite
// the firmware answers Reset and restarts into its loader, which takes the write.
DeviceMessage HandleConfigWriteStart(GatewayState& state, const DeviceMessage& request);
// ConfigWriteData: a block of 8 to 208 bytes, a whole number of 8-byte groups,
// starting on an 8-byte boundary and not crossing a 1024-byte flash page.
DeviceMessage HandleConfigWriteData(GatewayState& state, const DeviceMessage& request);
// ConfigWriteStop: commits the written image, answers, then restarts into the firmware.
DeviceMessage HandleConfigWriteStop(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
