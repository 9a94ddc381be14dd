#include "config/PortText.h"

#include "config/DecimalText.h"

namespace tusko {

std::string PortBoxText(std::uint32_t port) { return port == 0 ? std::string() : std::to_string(port); }

std::optional<std::uint16_t> ParsePortBox(std::string_view text) {
  // Reading stops just above the range, so a long run of digits cannot overflow.
  const LeadingNumber number = ReadLeadingNumber(text, kMaxPort + 1);
  if (text.empty() || number.digits != text.size()) return std::nullopt;
  if (number.value < kMinPort || number.value > kMaxPort) return std::nullopt;
  return static_cast<std::uint16_t>(number.value);
}

}  // namespace tusko
