#include "cli/GatewayRestartWait.h"

#include <chrono>

#include "cli/Interrupt.h"

namespace tusko::cli {

void AwaitGatewayBack(CliSession& session) {
  const OperationEngine& engine = session.engine();
  const auto limit = std::chrono::milliseconds(session.settings().communicationTimeoutSwitchToFirmware) * kMaxTries;
  session.loop().RunUntil(
      [&engine] {
        return engine.state() == EngineState::Idle || engine.state() == EngineState::Failed || InterruptRequested();
      },
      limit);
}

}  // namespace tusko::cli
