#include "config/VolumeCode.h"

#include <algorithm>

namespace tusko {
namespace {

constexpr int kVolumeZero = 128;

}  // namespace

int DecodeVolume(std::uint8_t stored) {
  const int level = int{stored} - kVolumeZero;
  return level < kVolumeMinLevel || level > kVolumeMaxLevel ? 0 : level;
}

std::uint8_t EncodeVolume(int level) {
  return static_cast<std::uint8_t>(kVolumeZero + std::clamp(level, kVolumeMinLevel, kVolumeMaxLevel));
}

}  // namespace tusko
