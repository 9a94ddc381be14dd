#pragma once

#include <string>
#include <string_view>

#include "config/ConfigurationPage.h"
#include "config/FieldValues.h"

namespace tusko::catalog {

// The checks a page runs on a field before writing it. The field's own rules
// (a server's missing port, a request's form) run always; the limits of range,
// length and characters only for a value the user changed, so that a value
// the gateway stored out of range does not keep the user on the page.
PageApply CheckField(const FieldRef& ref, const FieldValue& value, bool changed);

// "a.b.c.d" with four groups of 1 to 3 digits, each 0..255.
bool IsIpAddressText(std::string_view text);

// http://host/path?name=NUMBER: something after "http://", a '/' after it, a
// '?' after something behind that, and "=NUMBER" after something behind that.
bool IsHttpRequest(std::string_view text);

// A wildcard 'x' that is not the number's last character.
bool WildcardMisplaced(std::string_view number);

// The delay of alerting as its box shows it once it loses the focus.
std::string NormalisedDelayAlerting(std::string_view text);

}  // namespace tusko::catalog
