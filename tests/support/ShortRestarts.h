#pragma once

#include <chrono>
#include <cstdint>

namespace tusko::test {

// The restart the tests shorten a simulator's to (ShortenRestarts), and the
// switch time-outs to match: above the restart, since a TCP link is asked
// back only when they expire, and short enough that no test waits long.
inline constexpr std::chrono::milliseconds kShortRestart{50};
inline constexpr std::uint32_t kShortSwitchTimeoutMs = 250;

}  // namespace tusko::test
