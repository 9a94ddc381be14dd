#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tusko {

inline constexpr std::uint32_t kMinPort = 1;
inline constexpr std::uint32_t kMaxPort = 65535;

// The text of a port box: a stored port of 0 leaves the box empty.
std::string PortBoxText(std::uint32_t port);

// The port in a box: decimal digits only (leading zeros allowed) giving
// 1..65535. Nothing for any other text, the empty box included.
std::optional<std::uint16_t> ParsePortBox(std::string_view text);

}  // namespace tusko
