#pragma once

#include <string>

#include "config/ConfigurationText.h"

namespace tusko::catalog {

// The configuration as JSON: {"fields": [{"id", "page", "label", "value"}...],
// "raw": [{"offset", "hex"}...]}. "page" and "label" are language keys (the
// label empty for a field the page does not name); a value is a number, a
// boolean, a text, a list, or {"key", "stored"} for a choice. Texts are read
// as Latin-1.
std::string WriteConfigurationJson(const ConfigurationText& text);

}  // namespace tusko::catalog
