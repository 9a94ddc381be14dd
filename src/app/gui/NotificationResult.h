#pragma once

#include "protocol/engine/EngineTypes.h"

namespace tusko::gui {

// A notification's value read as an operation result.
constexpr bool Succeeded(int value) { return value == static_cast<int>(OperationResult::Done); }
constexpr bool Is(int value, OperationResult result) { return value == static_cast<int>(result); }

}  // namespace tusko::gui
