#include "monitor/EngineMonitorRequests.h"

#include "protocol/engine/OperationEngine.h"

namespace tusko {

bool EngineMonitorRequests::StartMonitoring() { return engine_.StartMonitoring(); }

bool EngineMonitorRequests::StopMonitoring() { return engine_.StopMonitoring(); }

bool EngineMonitorRequests::SendMonitorCommand(std::string_view command) {
  return engine_.SendMonitorCommand(command);
}

bool EngineMonitorRequests::PollMonitoring() { return engine_.PollMonitoring(); }

bool EngineMonitorRequests::LinkOpen() const { return engine_.linkState() == LinkState::Open; }

SystemInformation EngineMonitorRequests::GatewayVersions() const { return engine_.deviceInformation().system; }

}  // namespace tusko
