#pragma once

#include <chrono>

namespace tusko::sim {

// How long the gateway's link end (USB device, TCP listener) stays away while
// it restarts. Both lie below the utility's default switch time-outs, so a
// restart with default settings comes back before the utility gives up.
inline constexpr std::chrono::milliseconds kRestartToLoaderMs{1500};
inline constexpr std::chrono::milliseconds kLoaderToFirmwareMs{2500};

}  // namespace tusko::sim
