#pragma once

#include <vector>

#include "config/CellSelectionPage.h"
#include "protocol/ElementLayouts.h"

namespace tusko {

// The cells of a module's answer worth listing, padded as the cell selection
// stores them: a cell whose four fields are each empty or all zeros is left out.
std::vector<Cell> ListedCells(const CellTable& answer);

}  // namespace tusko
