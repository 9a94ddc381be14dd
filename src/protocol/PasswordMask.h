#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tusko {

// Which bytes of `message` (type byte first) carry the gateway password: the
// element data of Password and NewPassword in a request. Only elements that
// lie wholly inside the element area count; replies carry no password.
std::vector<bool> PasswordBytes(std::span<const std::uint8_t> message);

// The message as a hex dump with its password bytes masked: the one form in
// which a message may reach any log.
std::string MessageDump(std::span<const std::uint8_t> message);

}  // namespace tusko
