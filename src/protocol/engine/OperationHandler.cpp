#include "protocol/engine/OperationHandler.h"

#include "protocol/engine/OperationEngine.h"

namespace tusko {

bool OperationHandler::OnTriesExhausted(OperationEngine& engine) {
  engine.ReportNoAnswer();
  return false;
}

bool OperationHandler::OnLoaderStarted(OperationEngine&, const DeviceMessage&) { return false; }

}  // namespace tusko
