#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tusko {

// The number written by the leading decimal digits of a text, as the
// gateway's texts and the user's boxes are read: characters after the digits
// are ignored, and a value above `limit` reads as `limit`.
struct LeadingNumber {
  std::uint32_t value = 0;
  std::size_t digits = 0;  // how many leading characters were digits
};
LeadingNumber ReadLeadingNumber(std::string_view text, std::uint32_t limit);

}  // namespace tusko
