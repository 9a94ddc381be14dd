#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "config/ConfigurationPage.h"

namespace tusko {

// A cell as the cell selection stores it: MCC, MNC, LAC and cell identity,
// each zero-padded on the left to its width.
struct Cell {
  std::array<std::string, 4> fields;
  bool operator==(const Cell&) const = default;
};

inline constexpr std::array<std::size_t, 4> kCellFieldWidths{3, 2, 4, 4};
// The focus names of the four boxes, in order.
inline constexpr std::array<std::string_view, 4> kCellFieldNames{"cell.mcc", "cell.mnc", "cell.lac", "cell.cellId"};

// The boxes as the page uses them: each padded with leading zeros to its width.
Cell PaddedCell(const Cell& typed);
// A cell of a module's answer (13 characters: 3, 2, 4 and 4, NUL-filled);
// nothing when each of its four fields is empty or all zeros.
std::optional<Cell> CellFromAnswer(std::string_view answer);

// The cell selection page: the action when the serving cell is not in the
// list, and the list of at most 16 cells.
class CellSelectionPage final : public ConfigurationPage {
 public:
  static constexpr std::size_t kMaxCells = 16;
  // The action list's entries in order: none (stored as 255), alarm, block, both.
  static constexpr std::array<std::string_view, 4> kActionKeys{
      "strGsmCellSelActionNone", "strGsmCellSelActionAlarm", "strGsmCellSelActionBlock",
      "strGsmCellSelActionAlarmBlock"};

  PageId id() const override { return PageId::GsmCellSelect; }
  void Load(ConfigurationImage& working) override;
  PageApply Apply(ConfigurationImage& working) override;

  const std::vector<Cell>& cells() const { return cells_; }
  std::size_t action() const { return action_; }
  void SetAction(std::size_t action) { action_ = action < kActionKeys.size() ? action : 0; }
  // The index of the cell, or a PageApply: the refusal with the box to focus,
  // or a success that changed nothing (a full list).
  std::variant<std::size_t, PageApply> Add(const Cell& typed);
  std::variant<std::size_t, PageApply> Change(std::size_t index, const Cell& typed);
  void Delete(std::size_t index);
  // The first refusal the page would give one of its loaded entries if it were
  // typed again beside the others (a duplicate, a misplaced wildcard), or success.
  PageApply CheckEntries() const;

 private:
  PageApply Refusal(const Cell& typed, std::optional<std::size_t> except) const;

  std::vector<Cell> cells_;
  std::size_t action_ = 0;
  std::vector<Cell> loadedCells_;
  std::size_t loadedAction_ = 0;
};

}  // namespace tusko
