#pragma once

#include <memory>

#include "config/ConfigurationPage.h"

namespace tusko {

// The page model of a tree node; null for the root, the sections and the
// pages that are not built yet.
std::unique_ptr<ConfigurationPage> MakeConfigurationPage(PageId id);

}  // namespace tusko
