#pragma once

#include <string>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationImage.h"
#include "config/FieldValues.h"

namespace tusko {

// A field's name for the user beside its id: its label without the closing
// colon, else the title of its page.
std::string DifferenceLabel(const catalog::FieldRef& ref, const TextLookup& text);

// What the configuration read back after a write differs in from the one
// written: "id (label)" for each field, "byte N" for the first byte of each run
// no field explains. Empty when they agree byte for byte.
std::vector<std::string> DifferingFields(const ConfigurationImage& written, const ConfigurationImage& readBack,
                                         const TextLookup& text);

}  // namespace tusko
