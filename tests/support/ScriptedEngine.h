#pragma once

#include <utility>

#include "protocol/engine/EngineSettings.h"
#include "protocol/engine/OperationEngine.h"
#include "support/EngineTestHost.h"
#include "support/VirtualClock.h"

namespace tusko::test {

// An engine on a scripted host and virtual time, for tests that play the
// gateway's part message by message.
struct ScriptedEngine {
  explicit ScriptedEngine(EngineSettings engineSettings = {})
      : settings(std::move(engineSettings)), host(clock), engine(host, settings) {
    host.Attach(engine);
  }
  ScriptedEngine(const ScriptedEngine&) = delete;
  ScriptedEngine& operator=(const ScriptedEngine&) = delete;

  // Delivers a message as the link would, with its full length.
  void Receive(const DeviceMessage& message) { engine.OnMessage(message, message.wireSize()); }

  VirtualClock clock;
  EngineSettings settings;
  EngineTestHost host;
  OperationEngine engine;
};

}  // namespace tusko::test
