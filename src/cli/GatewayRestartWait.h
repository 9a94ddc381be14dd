#pragma once

#include "cli/CliSession.h"

namespace tusko::cli {

// After the gateway confirmed a write it restarts its firmware; the next
// command should find it running again, so wait for the engine to settle.
// Without a device watch a serial link is not reopened, and this waits out
// the gateway's restart time instead.
void AwaitGatewayBack(CliSession& session);

}  // namespace tusko::cli
