#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tusko {

// What a masked byte shows in place of its two hexadecimal digits.
inline constexpr std::string_view kMaskedByteText = "**";

// The bytes as two upper-case hexadecimal digits each, separated by one blank
// ("7E A1 05"). A byte whose entry in `masked` is set shows as kMaskedByteText;
// bytes past the end of `masked` are shown.
std::string HexDump(std::span<const std::uint8_t> bytes, const std::vector<bool>& masked = {});

}  // namespace tusko
