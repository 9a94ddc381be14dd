#include "config/DecimalText.h"

namespace tusko {

LeadingNumber ReadLeadingNumber(std::string_view text, std::uint32_t limit) {
  constexpr std::uint32_t kBase = 10;
  LeadingNumber number;
  for (const char c : text) {
    if (c < '0' || c > '9') break;
    const auto digit = static_cast<std::uint32_t>(c - '0');
    // Once past the limit the value stays there, so it can never overflow.
    const bool overLimit = digit > limit || number.value > (limit - digit) / kBase;
    number.value = overLimit ? limit : number.value * kBase + digit;
    ++number.digits;
  }
  return number;
}

}  // namespace tusko
