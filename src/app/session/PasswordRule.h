#pragma once

#include <string>
#include <string_view>

namespace tusko {

enum class PasswordFit {
  Fits,
  NotAscii,  // a character the gateway's one-byte password cannot carry
  TooLong,   // more than kLoginPasswordCapacity characters
};

// Whether the gateway can take `password` as it was typed (UTF-8): only
// ASCII characters, at most kLoginPasswordCapacity of them. The login and
// password dialogs and tuskoctl refuse anything else with a message rather
// than send a password that was cut or changed on the way.
PasswordFit CheckGatewayPassword(std::string_view password);
// The language key that says why `password` is refused; empty when it fits.
std::string PasswordRefusalKey(std::string_view password);

}  // namespace tusko
