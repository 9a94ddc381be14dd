#pragma once

#include <string>
#include <vector>

#include "base/TextLookup.h"
#include "config/ConfigurationImage.h"

namespace tusko {

// One line of the list a write's question shows: what changes on the gateway.
struct WriteChange {
  std::string field;   // the field's label, or "byte N" where no field explains a run
  std::string before;  // what the gateway holds now
  std::string after;   // what it holds once the write has ended
};

// The fields in which `written` differs from `gateway`, in catalog order, with
// both values as the user reads them: choices by their label in the current
// language, every other value as a configuration text writes it.
std::vector<WriteChange> WriteChanges(const ConfigurationImage& gateway, const ConfigurationImage& written,
                                      const TextLookup& text);

}  // namespace tusko
