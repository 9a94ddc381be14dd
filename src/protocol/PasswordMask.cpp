#include "protocol/PasswordMask.h"

#include <algorithm>

#include "base/HexDump.h"
#include "protocol/DeviceMessage.h"
#include "protocol/InformationElements.h"

namespace tusko {

std::vector<bool> PasswordBytes(std::span<const std::uint8_t> message) {
  std::vector<bool> masked(message.size(), false);
  if (message.size() < kMessageHeaderSize || message[0] != static_cast<std::uint8_t>(MessageType::Request)) {
    return masked;
  }
  const std::size_t areaEnd = std::min(message.size(), kMessageHeaderSize + message[1]);
  std::size_t at = kMessageHeaderSize;
  while (at + kElementHeaderSize <= areaEnd) {
    const std::uint8_t id = message[at];
    const std::size_t dataStart = at + kElementHeaderSize;
    const std::size_t dataEnd = dataStart + message[at + 1];
    if (dataEnd > areaEnd) break;
    if (id == ie::Password || id == ie::NewPassword) {
      std::fill(masked.begin() + static_cast<std::ptrdiff_t>(dataStart),
                masked.begin() + static_cast<std::ptrdiff_t>(dataEnd), true);
    }
    at = dataEnd;
  }
  return masked;
}

std::string MessageDump(std::span<const std::uint8_t> message) { return HexDump(message, PasswordBytes(message)); }

}  // namespace tusko
