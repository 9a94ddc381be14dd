#include "config/AddressFields.h"

#include <array>
#include <cstdio>

#include "config/DecimalText.h"

namespace tusko {
namespace {

constexpr std::uint32_t kOctetMax = 255;
constexpr std::uint32_t kPortDigitsMax = 99999;
constexpr std::size_t kGroups = layout::kIpDigitsWidth / layout::kIpGroupDigits;
constexpr unsigned kBitsPerOctet = 8;

}  // namespace

Ipv4Address ReadIpDigits(const ConfigurationImage& image, layout::IpDigitsAt field) {
  const std::string digits = image.Text(field.offset, layout::kIpDigitsWidth);
  Ipv4Address address = 0;
  for (std::size_t group = 0; group < kGroups; ++group) {
    const std::string_view text = std::string_view(digits).substr(group * layout::kIpGroupDigits, layout::kIpGroupDigits);
    address = (address << kBitsPerOctet) | ReadLeadingNumber(text, kOctetMax).value;
  }
  return address;
}

void WriteIpDigits(ConfigurationImage& image, layout::IpDigitsAt field, Ipv4Address address) {
  for (std::size_t group = 0; group < kGroups; ++group) {
    const unsigned shift = kBitsPerOctet * static_cast<unsigned>(kGroups - 1 - group);
    std::array<char, layout::kIpGroupDigits + 1> text{};
    std::snprintf(text.data(), text.size(), "%03u", (address >> shift) & kOctetMax);
    image.StoreText(field.offset + group * layout::kIpGroupDigits, std::string_view(text.data(), layout::kIpGroupDigits));
  }
}

std::uint32_t ReadPortDigits(const ConfigurationImage& image, layout::PortDigitsAt field) {
  return ReadLeadingNumber(image.Text(field.offset, layout::kPortDigitsWidth), kPortDigitsMax).value;
}

void WritePortDigits(ConfigurationImage& image, layout::PortDigitsAt field, std::uint16_t port) {
  std::array<char, layout::kPortDigitsWidth + 1> text{};
  std::snprintf(text.data(), text.size(), "%05u", unsigned{port});
  image.StoreText(field.offset, std::string_view(text.data(), layout::kPortDigitsWidth));
}

}  // namespace tusko
