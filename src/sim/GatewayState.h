#pragma once

#include <chrono>
#include <optional>
#include <utility>

#include "sim/GatewayAnnouncements.h"
#include "sim/GatewayCdrStore.h"
#include "sim/GatewayClock.h"
#include "sim/GatewayConfigStore.h"
#include "sim/GatewayDiagnostics.h"
#include "sim/GatewayFlashLoader.h"
#include "sim/GatewayIdentity.h"
#include "sim/GatewayMonitoring.h"
#include "sim/SampleConfiguration.h"

namespace tusko::sim {

enum class GatewayPhase {
  Firmware,    // the firmware runs and answers
  Loader,      // the loader runs and answers
  Restarting,  // between programs: the link end is gone
  Off,         // powered down
};

// A restart under way: the program it ends in and the time still to pass.
struct PendingBoot {
  GatewayPhase target;
  std::chrono::milliseconds remaining;
};

// Everything the request handlers read and change.
struct GatewayState {
  explicit GatewayState(GatewayIdentity id)
      : identity(std::move(id)), phase(identity.hasValidFirmware ? GatewayPhase::Firmware : GatewayPhase::Loader) {}

  GatewayIdentity identity;
  GatewayPhase phase;
  std::optional<PendingBoot> boot;
  GatewayClock clock;
  GatewayConfigStore config{MakeSampleConfiguration()};
  GatewayDiagnostics diagnostics;
  GatewayCdrStore cdr;
  GatewayFlashLoader flash;
  GatewayAnnouncements announcements;
  bool monitoring = false;
  MonitorTrace trace;
  int restartsDone = 0;
};

}  // namespace tusko::sim
