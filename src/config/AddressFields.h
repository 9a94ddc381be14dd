#pragma once

#include <cstdint>

#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"

namespace tusko {

// An IPv4 address as the address controls hold it: the first group in the
// most significant byte (192.168.1.10 is 0xC0A8010A).
using Ipv4Address = std::uint32_t;

constexpr Ipv4Address MakeIpv4Address(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return (Ipv4Address{a} << 24) | (Ipv4Address{b} << 16) | (Ipv4Address{c} << 8) | Ipv4Address{d};
}

// IpDigits: each group of three characters is read as its leading digits
// (none reads as 0); a group above 255 reads as 255.
Ipv4Address ReadIpDigits(const ConfigurationImage& image, layout::IpDigitsAt field);
void WriteIpDigits(ConfigurationImage& image, layout::IpDigitsAt field, Ipv4Address address);

// Port digits: the number of the field's leading digits (0 when there is
// none, at most 99999, which the page shows clamped or refuses).
std::uint32_t ReadPortDigits(const ConfigurationImage& image, layout::PortDigitsAt field);
void WritePortDigits(ConfigurationImage& image, layout::PortDigitsAt field, std::uint16_t port);

}  // namespace tusko
