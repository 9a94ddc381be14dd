#include "config/CellSelectionPage.h"

#include <algorithm>

#include "config/FieldCatalog.h"

namespace tusko {
namespace {

constexpr std::array<std::string_view, 4> kMissingKeys{
    "strGsmCellSelMccMissing", "strGsmCellSelMncMissing", "strGsmCellSelLacMissing", "strGsmCellSelCellIdMissing"};
constexpr std::array<std::string_view, 4> kFieldCharacters{"0123456789", "0123456789", "0123456789ABCDEF",
                                                            "0123456789ABCDEF"};
constexpr std::array<std::size_t, 4> kFieldOffsets{0, 4, 6, 10};  // inside a cell record
constexpr std::size_t kCellRecordSize = 16;
constexpr std::uint8_t kNoAction = 0xFF;

std::size_t Offset(std::string_view id) { return catalog::FindField(id).Offset(); }

bool AllZeros(std::string_view text) { return text.find_first_not_of('0') == std::string_view::npos; }

}  // namespace

Cell PaddedCell(const Cell& typed) {
  Cell padded = typed;
  for (std::size_t i = 0; i < padded.fields.size(); ++i) {
    std::string& field = padded.fields[i];
    if (!field.empty() && field.size() < kCellFieldWidths[i]) field.insert(0, kCellFieldWidths[i] - field.size(), '0');
  }
  return padded;
}

std::optional<Cell> CellFromAnswer(std::string_view answer) {
  Cell cell;
  bool listed = false;
  std::size_t at = 0;
  for (std::size_t i = 0; i < cell.fields.size(); ++i) {
    std::string_view field = answer.substr(std::min(at, answer.size()), kCellFieldWidths[i]);
    field = field.substr(0, field.find('\0'));
    cell.fields[i] = std::string(field);
    listed = listed || !AllZeros(field);
    at += kCellFieldWidths[i];
  }
  if (!listed) return std::nullopt;
  return PaddedCell(cell);
}

void CellSelectionPage::Load(ConfigurationImage& working) {
  const std::uint8_t stored = working.Byte(Offset("cellSelection.action"));
  action_ = stored >= 1 && stored <= 3 ? stored : 0;
  const std::size_t count = std::min<std::size_t>(working.Byte(Offset("cellSelection.cellCount")), kMaxCells);
  cells_.clear();
  if (working.Byte(Offset("cellSelection.cellCount")) != layout::kUnset) {
    for (std::size_t c = 0; c < count; ++c) {
      Cell cell;
      for (std::size_t i = 0; i < cell.fields.size(); ++i) {
        cell.fields[i] = working.Text(Offset("cell1.mcc") + kCellRecordSize * c + kFieldOffsets[i], kCellFieldWidths[i]);
      }
      cells_.push_back(cell);
    }
  }
  loadedCells_ = cells_;
  loadedAction_ = action_;
}

PageApply CellSelectionPage::Apply(ConfigurationImage& working) {
  if (cells_ == loadedCells_ && action_ == loadedAction_) return PageApply::Success();
  const std::size_t base = Offset("cellSelection.action");
  working.Fill(base, Offset("cell16.mcc") + kCellRecordSize - base, layout::kUnset);
  if (!cells_.empty()) {
    working.SetByte(Offset("cellSelection.cellCount"), static_cast<std::uint8_t>(cells_.size()));
    for (std::size_t c = 0; c < cells_.size(); ++c) {
      for (std::size_t i = 0; i < cells_[c].fields.size(); ++i) {
        working.StoreText(Offset("cell1.mcc") + kCellRecordSize * c + kFieldOffsets[i], cells_[c].fields[i]);
      }
    }
  }
  working.SetByte(base, action_ == 0 ? kNoAction : static_cast<std::uint8_t>(action_));
  loadedCells_ = cells_;
  loadedAction_ = action_;
  return PageApply::Success();
}

PageApply CellSelectionPage::Refusal(const Cell& typed, std::optional<std::size_t> except) const {
  for (std::size_t i = 0; i < typed.fields.size(); ++i) {
    const std::string& field = typed.fields[i];
    if (field.empty()) return PageApply::Failure(kMissingKeys[i], kCellFieldNames[i]);
    if (field.size() > kCellFieldWidths[i] || field.find_first_not_of(kFieldCharacters[i]) != std::string::npos) {
      return PageApply::Failure("strDataTextCharacters", kCellFieldNames[i], {std::string(kFieldCharacters[i])});
    }
  }
  const Cell padded = PaddedCell(typed);
  for (std::size_t c = 0; c < cells_.size(); ++c) {
    if (c != except && cells_[c] == padded) return PageApply::Failure("strGsmCellSelDuplicate", kCellFieldNames[0]);
  }
  return PageApply::Success();
}

PageApply CellSelectionPage::CheckEntries() const {
  return FirstRefusal(cells_, [this](const auto& entry, std::size_t index) { return Refusal(entry, index); });
}

std::variant<std::size_t, PageApply> CellSelectionPage::Add(const Cell& typed) {
  if (cells_.size() >= kMaxCells) return PageApply::Success();
  if (PageApply refusal = Refusal(typed, std::nullopt); !refusal.ok) return refusal;
  cells_.push_back(PaddedCell(typed));
  return cells_.size() - 1;
}

std::variant<std::size_t, PageApply> CellSelectionPage::Change(std::size_t index, const Cell& typed) {
  if (index >= cells_.size()) return PageApply::Success();
  if (PageApply refusal = Refusal(typed, index); !refusal.ok) return refusal;
  cells_[index] = PaddedCell(typed);
  return index;
}

void CellSelectionPage::Delete(std::size_t index) {
  if (index < cells_.size()) cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace tusko
