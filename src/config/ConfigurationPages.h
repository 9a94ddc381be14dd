#pragma once

#include <memory>

#include "base/TextLookup.h"
#include "config/ConfigurationPage.h"

namespace tusko {

// The page model of a tree node, made from the field catalog; null for the
// root and the sections. `text` hides the fields whose label has no text.
std::unique_ptr<ConfigurationPage> MakeConfigurationPage(PageId id, const TextLookup& text);

}  // namespace tusko
