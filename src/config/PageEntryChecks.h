#pragma once

#include "base/TextLookup.h"
#include "config/ConfigurationImage.h"
#include "config/ConfigurationPage.h"
#include "config/PageId.h"

namespace tusko::catalog {

// The checks a list page runs across its entries, over a whole image: the
// first refusal the page `page` would give one of the entries it shows of
// `image` (a duplicate number, a rule without targets, working hours out of
// order). Success for a page without such checks.
PageApply CheckPageEntries(const ConfigurationImage& image, PageId page, const TextLookup& text);

}  // namespace tusko::catalog
