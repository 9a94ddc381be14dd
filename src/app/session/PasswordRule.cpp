#include "app/session/PasswordRule.h"

#include <algorithm>

#include "protocol/engine/OperationEngine.h"

namespace tusko {

PasswordFit CheckGatewayPassword(std::string_view password) {
  constexpr unsigned char kFirstNonAscii = 0x80;
  if (std::any_of(password.begin(), password.end(),
                  [](char c) { return static_cast<unsigned char>(c) >= kFirstNonAscii; })) {
    return PasswordFit::NotAscii;
  }
  return password.size() > kLoginPasswordCapacity ? PasswordFit::TooLong : PasswordFit::Fits;
}

std::string PasswordRefusalKey(std::string_view password) {
  switch (CheckGatewayPassword(password)) {
    case PasswordFit::Fits: return {};
    case PasswordFit::NotAscii: return "strPasswordNotAscii";
    case PasswordFit::TooLong: return "strPasswordTooLong";
  }
  return {};
}

}  // namespace tusko
