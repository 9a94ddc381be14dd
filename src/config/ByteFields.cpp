#include "config/ByteFields.h"

#include <algorithm>

#include "config/ImageLayout.h"

namespace tusko {
namespace {

constexpr int kVolumeZero = 128;
constexpr int kWestOfUtc = 128;  // sign bit of a time zone code

}  // namespace

std::uint8_t ReadSettingByte(ConfigurationImage& image, std::size_t offset, std::uint8_t shownWhenUnset,
                             WriteBack writeBack) {
  const std::uint8_t value = image.Byte(offset);
  if (value != layout::kUnset) return value;
  if (writeBack == WriteBack::Yes) image.SetByte(offset, shownWhenUnset);
  return shownWhenUnset;
}

int DecodeVolume(std::uint8_t stored) {
  const int level = int{stored} - kVolumeZero;
  return level < kVolumeMinLevel || level > kVolumeMaxLevel ? 0 : level;
}

std::uint8_t EncodeVolume(int level) {
  return static_cast<std::uint8_t>(kVolumeZero + std::clamp(level, kVolumeMinLevel, kVolumeMaxLevel));
}

std::optional<int> DecodeTimeZone(std::uint8_t code) {
  if (code <= kTimeZoneMaxHours) return int{code};
  const int west = int{code} - kWestOfUtc;
  if (west >= 1 && west <= kTimeZoneMaxHours) return -west;
  return std::nullopt;
}

std::uint8_t EncodeTimeZone(int hours) {
  const int clamped = std::clamp(hours, -kTimeZoneMaxHours, kTimeZoneMaxHours);
  return static_cast<std::uint8_t>(clamped < 0 ? kWestOfUtc - clamped : clamped);
}

}  // namespace tusko
