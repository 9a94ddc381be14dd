#pragma once

#include "protocol/DeviceMessage.h"
#include "sim/GatewayState.h"

namespace tusko::sim {

// The firmware update as the gateway takes it. The firmware answers FlashStart
// with Reset and restarts into its loader, which does the writing.

// FlashStart: in the firmware, Reset and the restart into the loader; in the
// loader, a new write session.
DeviceMessage HandleFlashStart(GatewayState& state, const DeviceMessage& request);
// FlashData with FlashAddress (loader): a block of 8 to 208 bytes, a whole
// number of 8-byte groups, inside the flash window and on one 1024-byte page;
// acknowledged with its address. Anything else, or a block outside a session,
// is refused with NotAllowed.
DeviceMessage HandleFlashData(GatewayState& state, const DeviceMessage& request);
// FlashStop (loader): the written firmware replaces the old one, its
// identification becomes the firmware version, and the loader answers and
// starts it.
DeviceMessage HandleFlashStop(GatewayState& state, const DeviceMessage& request);
// FlashCancel: the session is dropped and the old firmware kept.
DeviceMessage HandleFlashCancel(GatewayState& state, const DeviceMessage& request);

}  // namespace tusko::sim
