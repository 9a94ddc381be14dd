#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "protocol/engine/EngineHost.h"

namespace tusko::test {

// A monitoring view that writes down what it is told.
class RecordingMonitor : public MonitorSink {
 public:
  void monitoringStarted() override { calls.push_back("started"); }
  void monitoringStopped() override { calls.push_back("stopped"); }
  void gatewayAnswered() override { calls.push_back("answered"); }
  void monitorOutput(std::string_view text) override { calls.push_back("output " + std::string(text)); }
  bool isPaused() const override { return paused; }

  std::vector<std::string> calls;
  bool paused = false;
};

}  // namespace tusko::test
