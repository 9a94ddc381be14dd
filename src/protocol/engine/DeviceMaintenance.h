#pragma once

#include "protocol/engine/OperationRegistry.h"

namespace tusko {

// The short idle-state operations besides system and LAN information, each
// registering its rows of the Idle tables from its own file.
void RegisterDateTimeRequests(OperationRegistry& registry);
void RegisterModuleRequests(OperationRegistry& registry);
void RegisterPasswordChange(OperationRegistry& registry);
void RegisterMonitoringRequests(OperationRegistry& registry);

}  // namespace tusko
