#include "app/session/OnlineCells.h"

#include <string_view>

namespace tusko {

std::vector<Cell> ListedCells(const CellTable& answer) {
  std::vector<Cell> cells;
  for (const auto& raw : answer) {
    if (auto cell = CellFromAnswer(std::string_view(raw.data(), raw.size()))) cells.push_back(std::move(*cell));
  }
  return cells;
}

}  // namespace tusko
