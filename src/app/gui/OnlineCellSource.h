#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "config/CellSelectionPage.h"

namespace tusko::gui {

// The cells a GSM module sees now, as the gateway reports them: the cells
// worth listing, or nothing when the read failed.
using OnlineCellsDone = std::function<void(std::optional<std::vector<Cell>>)>;

// Reads from the gateway the cells a GSM module sees, for the cell selection page.
class OnlineCellSource {
 public:
  virtual ~OnlineCellSource() = default;
  // Starts the read of `module` (from 0); false when it could not start.
  // `done` runs once, from the event loop, when the read has ended.
  virtual bool ReadCells(int module, OnlineCellsDone done) = 0;
};

}  // namespace tusko::gui
