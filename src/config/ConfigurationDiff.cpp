#include "config/ConfigurationDiff.h"

#include <algorithm>

#include "config/ConfigurationText.h"

namespace tusko::catalog {

ConfigurationDifferences CompareImages(const ConfigurationImage& first, const ConfigurationImage& second) {
  ConfigurationDifferences differences;
  constexpr std::size_t kSize = ConfigurationImage::kSize;
  std::vector<bool> explained(kSize, false);
  for (const FieldRef& ref : NamedFields()) {
    const std::size_t offset = ref.Offset();
    const std::size_t width = std::min(ref.Width(), kSize - std::min(kSize, offset));
    if (std::ranges::equal(first.Range(offset, width), second.Range(offset, width))) continue;
    FieldValue a = ReadValue(first, ref);
    FieldValue b = ReadValue(second, ref);
    if (a == b) continue;
    differences.fields.push_back({ref, std::move(a), std::move(b)});
    std::fill_n(explained.begin() + static_cast<std::ptrdiff_t>(offset), width, true);
  }
  for (std::size_t at = 0; at < kSize; ++at) {
    if (explained[at] || first.Byte(at) == second.Byte(at)) continue;
    std::vector<ByteDifference>& runs = differences.bytes;
    if (runs.empty() || runs.back().offset + runs.back().first.size() != at) runs.push_back({at, {}, {}});
    runs.back().first.push_back(first.Byte(at));
    runs.back().second.push_back(second.Byte(at));
  }
  return differences;
}

}  // namespace tusko::catalog
