#pragma once

#include <cstdint>

namespace tusko {

// The engine's time-outs and transfer pacing, in milliseconds unless named
// otherwise. A default-constructed record holds the program's defaults.
struct EngineSettings {
  bool operator==(const EngineSettings&) const = default;

  std::uint32_t communicationTimeout = 5000;
  std::uint32_t communicationTimeoutReset = 5000;
  std::uint32_t communicationTimeoutFlashLoad = 5000;
  std::uint32_t communicationTimeoutFlashLoadStart = 5000;
  std::uint32_t communicationTimeoutDataRead = 5000;
  std::uint32_t communicationTimeoutDataWrite = 5000;
  std::uint32_t communicationTimeoutDataWriteStart = 5000;
  std::uint32_t communicationTimeoutReadCells = 10000;
  std::uint32_t communicationTimeoutSwitchToLoader = 5000;
  std::uint32_t communicationTimeoutSwitchToFirmware = 10000;
  // The pause between two configuration blocks and how many may be in flight.
  std::uint32_t dataReadWriteRequestDelay = 25;
  std::uint32_t dataReadWriteMaxPendingRequests = 5;  // requests
};

}  // namespace tusko
