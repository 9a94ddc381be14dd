#include "support/FirmwareFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "protocol/FirmwareFile.h"

namespace tusko::test {

namespace {

void AppendLittleEndian32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

}  // namespace

std::vector<std::uint8_t> FirmwareFileBytes(const std::vector<TestSection>& sections) {
  std::vector<std::uint8_t> bytes;
  for (const TestSection& section : sections) {
    bytes.insert(bytes.end(), kFirmwareSectionMagic, kFirmwareSectionMagic + std::strlen(kFirmwareSectionMagic));
    bytes.push_back(section.type);
    AppendLittleEndian32(bytes, section.address);
    AppendLittleEndian32(bytes, static_cast<std::uint32_t>(section.data.size()));
    bytes.insert(bytes.end(), section.data.begin(), section.data.end());
  }
  return bytes;
}

std::vector<std::uint8_t> FirmwareData(std::size_t length, std::string_view identification) {
  constexpr unsigned kPatternStep = 7;
  std::vector<std::uint8_t> data(length);
  for (std::size_t i = 0; i < length; ++i) data[i] = static_cast<std::uint8_t>(i * kPatternStep + 1);
  if (!identification.empty()) {
    const std::size_t needed = kIdentificationTextOffset + identification.size() + 1;
    EXPECT_GE(length, needed) << "no room for the identification";
    if (length < needed) return data;
    std::copy_n(kFirmwareSignature, std::strlen(kFirmwareSignature) + 1, data.begin());
    std::copy(identification.begin(), identification.end(), data.begin() + kIdentificationTextOffset);
    data[kIdentificationTextOffset + identification.size()] = 0;
  }
  return data;
}

std::vector<std::uint8_t> FlashImageOf(const std::vector<TestSection>& sections, std::uint32_t windowStart,
                                       std::size_t windowLength) {
  constexpr std::uint8_t kErased = 0xFF;
  std::vector<std::uint8_t> image(windowLength, kErased);
  for (const TestSection& section : sections) {
    std::copy(section.data.begin(), section.data.end(), image.begin() + (section.address - windowStart));
  }
  return image;
}

}  // namespace tusko::test
