#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tusko::test {

struct TestSection {
  std::uint8_t type;
  std::uint32_t address;
  std::vector<std::uint8_t> data;
};

// The bytes of a firmware file holding `sections` in order.
std::vector<std::uint8_t> FirmwareFileBytes(const std::vector<TestSection>& sections);

// `length` bytes of section data in a pattern that differs from byte to byte;
// with an identification, the signature stands at byte 0 and the text with its
// NUL at byte 24 (`length` must leave room for them).
std::vector<std::uint8_t> FirmwareData(std::size_t length, std::string_view identification = {});

// The flash window as a loader would leave it after writing `sections` on
// erased (0xFF) memory from `windowStart` on.
std::vector<std::uint8_t> FlashImageOf(const std::vector<TestSection>& sections, std::uint32_t windowStart,
                                       std::size_t windowLength);

}  // namespace tusko::test
