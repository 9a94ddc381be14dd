#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/TextLookup.h"

namespace tusko {

// The gateway traces in up to 16 categories, one bit each of the mask.
inline constexpr std::size_t kMonitorCategoryCount = 16;

// "strMonitorOption1" ... "strMonitorOption16" for index 0 ... 15.
std::string MonitorCategoryKey(std::size_t index);
// The monitor command that selects the categories: "V=%04X\r\n".
std::string MonitorMaskCommand(std::uint16_t mask);

// The category check boxes. A category whose language text is empty is not
// offered: it cannot be checked and its bit stays 0.
class MonitorCategories {
 public:
  // Reads the labels again; a category that loses its text is unchecked.
  void Retranslate(const TextLookup& text);

  bool IsOffered(std::size_t index) const;
  // Empty for a category that is not offered or an index out of range.
  std::string_view Label(std::size_t index) const;
  bool IsChecked(std::size_t index) const;
  // False, changing nothing, for a category that is not offered.
  bool SetChecked(std::size_t index, bool checked);
  // Bit n is category n.
  std::uint16_t Mask() const { return mask_; }

 private:
  std::array<std::string, kMonitorCategoryCount> labels_;
  std::uint16_t mask_ = 0;
};

}  // namespace tusko
