#pragma once

#include <cstdint>

namespace tusko {

// Who wrote a communication-log line; each writer has its own colour.
enum class LogColour : std::uint32_t {
  Link = 0x0000FF,     // red: link layer lines and the " IN:" label
  OutLabel = 0xFF0000, // blue: the "OUT:" label
  Device = 0xFF00FF,   // magenta: raw serial input and device changes
  Engine = 0x808000,   // teal: operation engine lines
  Text = 0x000000,     // black: dump bytes
};

// The colour value as red, green and blue (the stored value is 0x00BBGGRR).
constexpr std::uint8_t RedOf(LogColour c) { return static_cast<std::uint8_t>(static_cast<std::uint32_t>(c)); }
constexpr std::uint8_t GreenOf(LogColour c) { return static_cast<std::uint8_t>(static_cast<std::uint32_t>(c) >> 8); }
constexpr std::uint8_t BlueOf(LogColour c) { return static_cast<std::uint8_t>(static_cast<std::uint32_t>(c) >> 16); }

}  // namespace tusko
