#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// The announcement memory's requests. A request the memory cannot take (an
// unknown kind, a block outside a transfer or of a size the gateway does not
// write, a stop without a valid file) is refused with NotAllowed.

// AnnouncementStart: one byte, the kind.
DeviceMessage HandleAnnouncementStart(GatewayState& state, const DeviceMessage& request);
// AnnouncementData with Address: the block's acknowledgement (Address), or FlashErasing.
DeviceMessage HandleAnnouncementData(GatewayState& state, const DeviceMessage& request);
// AnnouncementStop: stores the received file.
DeviceMessage HandleAnnouncementStop(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
