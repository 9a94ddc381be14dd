#include "base/HexDump.h"

namespace tusko {

std::string HexDump(std::span<const std::uint8_t> bytes, const std::vector<bool>& masked) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string dump;
  dump.reserve(bytes.size() * 3);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) dump += ' ';
    if (i < masked.size() && masked[i]) {
      dump += kMaskedByteText;
      continue;
    }
    dump += kDigits[bytes[i] >> 4];
    dump += kDigits[bytes[i] & 0x0F];
  }
  return dump;
}

}  // namespace tusko
