#pragma once

#include <string>
#include <string_view>

#include "config/ConfigurationText.h"
#include "config/TextFormat.h"

namespace tusko::catalog {

// The configuration as JSON: {"fields": [{"id", "page", "label", "value"}...],
// "raw": [{"offset", "hex"}...]}. "page" and "label" are language keys (the
// label empty for a field the page does not name); a value is a number, a
// boolean, a text, a list, or {"key", "stored"} for a choice. Texts are read
// as Latin-1.
std::string WriteConfigurationJson(const ConfigurationText& text);

// Reads what WriteConfigurationJson writes ("page" and "label" are not
// needed): each field becomes the line a configuration text gives it, taken
// through the same rules, so both formats refuse alike. `line` of a problem
// is the field's place in "fields" (or after them, the raw run's), from 1;
// 0 when the JSON itself cannot be read.
TextParse ParseConfigurationJson(std::string_view input);

}  // namespace tusko::catalog
