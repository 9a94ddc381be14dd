#pragma once

#include <string_view>

#include "monitor/MonitorLogHost.h"

namespace tusko {

class OperationEngine;

// The monitor log's requests served by the operation engine.
class EngineMonitorRequests final : public MonitorRequests {
 public:
  explicit EngineMonitorRequests(OperationEngine& engine) : engine_(engine) {}

  bool StartMonitoring() override;
  bool StopMonitoring() override;
  bool SendMonitorCommand(std::string_view command) override;
  bool PollMonitoring() override;
  bool LinkOpen() const override;
  SystemInformation GatewayVersions() const override;

 private:
  OperationEngine& engine_;
};

}  // namespace tusko
