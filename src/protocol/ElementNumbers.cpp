#include "protocol/ElementNumbers.h"

namespace tusko {

namespace {
constexpr unsigned kBitsPerByte = 8;
}  // namespace

std::array<std::uint8_t, kNumber32Bytes> EncodeNumber32(std::uint32_t value) {
  std::array<std::uint8_t, kNumber32Bytes> bytes{};
  for (std::size_t i = kNumber32Bytes; i-- > 0;) {
    bytes[i] = static_cast<std::uint8_t>(value);
    value >>= kBitsPerByte;
  }
  return bytes;
}

std::optional<std::uint32_t> ReadNumber32(const ElementView& element) {
  if (element.data.size() != kNumber32Bytes) return std::nullopt;
  std::uint32_t value = 0;
  for (std::uint8_t byte : element.data) value = (value << kBitsPerByte) | byte;
  return value;
}

}  // namespace tusko
