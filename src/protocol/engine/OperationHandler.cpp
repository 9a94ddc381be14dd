#include "protocol/engine/OperationHandler.h"

#include "protocol/engine/OperationEngine.h"

namespace tusko {

bool OperationHandler::OnTriesExhausted(EngineOperations& engine) {
  engine.ReportNoAnswer();
  return false;
}

bool OperationHandler::OnLoaderStarted(EngineOperations&, const DeviceMessage&) { return false; }

}  // namespace tusko
