#pragma once

#include <cstdint>

namespace tusko {

// Volume: 128 + v for a level v of -6..+12 dB.
inline constexpr int kVolumeMinLevel = -6;
inline constexpr int kVolumeMaxLevel = 12;
// A stored value outside 122..140 reads as level 0.
int DecodeVolume(std::uint8_t stored);
// The level is clamped to -6..+12.
std::uint8_t EncodeVolume(int level);

}  // namespace tusko
