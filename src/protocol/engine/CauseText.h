#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "protocol/DeviceMessage.h"

namespace tusko {

// The cause text holds at most 21 cause bytes: "XX" each, separated by single spaces.
inline constexpr std::size_t kCauseTextMaxBytes = 21;
inline constexpr std::size_t kCauseTextCapacity = 63;  // characters

// The bytes of a Cause element for display, e.g. "92 01".
std::string FormatCauseBytes(std::span<const std::uint8_t> cause);

// The cause code (byte 0 of the Cause element), if the message carries one.
std::optional<std::uint8_t> CauseCode(const DeviceMessage& message);

}  // namespace tusko
