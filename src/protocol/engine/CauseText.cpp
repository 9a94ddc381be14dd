#include "protocol/engine/CauseText.h"

#include <algorithm>

namespace tusko {

std::string FormatCauseBytes(std::span<const std::uint8_t> cause) {
  static constexpr char kHexDigits[] = "0123456789ABCDEF";
  std::string text;
  for (std::uint8_t byte : cause.first(std::min(cause.size(), kCauseTextMaxBytes))) {
    if (!text.empty()) text += ' ';
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
  }
  return text;
}

std::optional<std::uint8_t> CauseCode(const DeviceMessage& message) {
  const auto cause = FindElement(message, ie::Cause);
  if (!cause || cause->data.empty()) return std::nullopt;
  return cause->data.front();
}

}  // namespace tusko
