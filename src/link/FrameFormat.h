#pragma once

// The byte-stuffed frame that carries one message over serial and TCP alike:
// a start byte, the message with the three special values escaped, an end byte.

#include <cstddef>
#include <cstdint>

namespace tusko {

inline constexpr std::uint8_t kFrameStart = 0x7E;
inline constexpr std::uint8_t kFrameEnd = 0x7A;
inline constexpr std::uint8_t kEscape = 0xCD;
// What follows kEscape in place of each special value.
inline constexpr std::uint8_t kEscapedStart = 0x01;
inline constexpr std::uint8_t kEscapedEnd = 0x10;
inline constexpr std::uint8_t kEscapedEscape = kEscape;

}  // namespace tusko
