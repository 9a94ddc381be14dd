#include "protocol/engine/DeviceMaintenance.h"

namespace tusko {

void RegisterDeviceMaintenance(OperationRegistry& registry) {
  RegisterDateTimeRequests(registry);
  RegisterModuleRequests(registry);
  RegisterPasswordChange(registry);
  RegisterMonitoringRequests(registry);
}

}  // namespace tusko
