// The operations' side of an engine that a test drives by hand, state by state.
#include "protocol/engine/OperationEngine.h"

namespace tusko {

EngineOperations& OperationsOf(OperationEngine& engine) { return engine; }

}  // namespace tusko
