#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tusko {

// How numbers and texts are spelled after the '=' of a settings file line.

// Decimal. Negative numbers typed by hand are taken as their 32-bit two's
// complement, as a coordinate of -1 is stored. Empty when `raw` is not a
// number that fits 32 bits.
std::optional<std::uint32_t> DecodeSettingsNumber(std::string_view raw);
std::string EncodeSettingsNumber(std::uint32_t value);

// In double quotes, with backslash escapes for the backslash itself, line
// breaks, tabs and other control characters, so that any text (also one with
// '=', quotes, line breaks or blanks at its ends) keeps to one line and reads
// back unchanged.
std::string EncodeSettingsText(std::string_view text);
// Also reads a text typed by hand without quotes. A backslash that starts no
// known escape stands for itself.
std::string DecodeSettingsText(std::string_view raw);

}  // namespace tusko
