#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "config/FieldValues.h"

namespace tusko::catalog {

struct FieldDifference {
  FieldRef ref;
  FieldValue first;
  FieldValue second;
};

// A run of bytes that differ where no differing field explains them.
struct ByteDifference {
  std::size_t offset = 0;
  std::vector<std::uint8_t> first;
  std::vector<std::uint8_t> second;
};

struct ConfigurationDifferences {
  std::vector<FieldDifference> fields;  // in catalog order
  std::vector<ByteDifference> bytes;
  bool Empty() const { return fields.empty() && bytes.empty(); }
};

// Empty exactly when the two images are equal byte for byte.
ConfigurationDifferences CompareImages(const ConfigurationImage& first, const ConfigurationImage& second);

}  // namespace tusko::catalog
