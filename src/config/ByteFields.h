#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "config/ConfigurationImage.h"

namespace tusko {

enum class WriteBack : bool { No = false, Yes = true };

// A one-byte setting read defensively: an unset byte (255) shows as
// `shownWhenUnset`; with WriteBack::Yes that value is also stored at once.
std::uint8_t ReadSettingByte(ConfigurationImage& image, std::size_t offset, std::uint8_t shownWhenUnset,
                             WriteBack writeBack);

// Volume: 128 + v for a level v of -6..+12 dB.
inline constexpr int kVolumeMinLevel = -6;
inline constexpr int kVolumeMaxLevel = 12;
// A stored value outside 122..140 reads as level 0.
int DecodeVolume(std::uint8_t stored);
// The level is clamped to -6..+12.
std::uint8_t EncodeVolume(int level);

// Time zone code: whole hours from UTC in sign-magnitude form, 0..12 for
// UTC+0..+12 and 129..140 for UTC-1..-12.
inline constexpr int kTimeZoneMaxHours = 12;
// Nothing for a byte that is no code (the page then selects no entry).
std::optional<int> DecodeTimeZone(std::uint8_t code);
// The offset is clamped to -12..+12.
std::uint8_t EncodeTimeZone(int hours);

}  // namespace tusko
