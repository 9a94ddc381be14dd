#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "config/ConfigurationImage.h"

namespace tusko::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes TextBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

inline Bytes Repeat(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

inline Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline Bytes Slice(const ConfigurationImage& image, std::size_t offset, std::size_t length) {
  const auto range = image.Range(offset, length);
  return Bytes(range.begin(), range.end());
}

inline void Put(ConfigurationImage& image, std::size_t offset, const Bytes& bytes) { image.Store(offset, bytes); }

}  // namespace tusko::test
