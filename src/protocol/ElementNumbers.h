#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/DeviceMessage.h"

namespace tusko {

// Four-byte numbers inside elements (addresses, offsets, sizes) travel
// big-endian, most significant byte first.
inline constexpr std::size_t kNumber32Bytes = 4;

std::array<std::uint8_t, kNumber32Bytes> EncodeNumber32(std::uint32_t value);
// The number an element carries; nothing unless it holds exactly four bytes.
std::optional<std::uint32_t> ReadNumber32(const ElementView& element);

}  // namespace tusko
