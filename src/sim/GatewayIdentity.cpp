#include "sim/GatewayIdentity.h"

#include <algorithm>

#include "protocol/ElementLayouts.h"

namespace tusko::sim {

namespace {

constexpr std::size_t kOctetDigits = 3;
constexpr std::size_t kPortDigits = 5;
constexpr std::size_t kRunModeSize = 7;  // mode, marker, spare byte, data version (LE32)

// Writes `value` as `width` decimal digits with leading zeros; returns the position after them.
template <typename Iterator>
Iterator WriteDigits(Iterator out, unsigned value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) {
    out[i] = static_cast<std::uint8_t>('0' + value % 10);
    value /= 10;
  }
  return out + static_cast<std::ptrdiff_t>(width);
}

template <typename Iterator>
Iterator WriteAddress(Iterator out, const Ipv4Address& address) {
  for (std::uint8_t octet : address) out = WriteDigits(out, octet, kOctetDigits);
  return out;
}

std::array<std::uint8_t, kRunModeSize> EncodeRunMode(std::uint8_t mode, std::uint32_t dataVersion) {
  return {mode,
          kDataVersionMarker,
          0,
          static_cast<std::uint8_t>(dataVersion),
          static_cast<std::uint8_t>(dataVersion >> 8),
          static_cast<std::uint8_t>(dataVersion >> 16),
          static_cast<std::uint8_t>(dataVersion >> 24)};
}

}  // namespace

std::array<std::uint8_t, kLanInfoSize> EncodeLanInfo(const GatewayIdentity& identity) {
  std::array<std::uint8_t, kLanInfoSize> data{};
  auto out = data.begin();
  *out++ = identity.dhcp ? kDhcpOn : kDhcpOff;
  out = WriteAddress(out, identity.ipAddress);
  out = WriteAddress(out, identity.subnetMask);
  out = WriteDigits(out, identity.tcpPort, kPortDigits);
  WriteAddress(out, identity.defaultGateway);
  return data;
}

void AddSystemInfo(DeviceMessage& message, const GatewayIdentity& identity, bool firmwareRuns) {
  AddTextElement(message, ie::LoaderVersion, identity.loaderVersion, false);
  if (identity.hasValidFirmware) AddTextElement(message, ie::FirmwareVersion, identity.firmwareVersion, false);
  AddElement(message, ie::RunMode,
             EncodeRunMode(firmwareRuns ? kRunModeFirmware : kRunModeLoader, identity.dataVersion));
  AddTextElement(message, ie::DeviceName, identity.deviceName, false);
}

bool AcceptsPassword(const GatewayIdentity& identity, const DeviceMessage& request) {
  if (identity.password.empty()) return true;
  const auto element = FindElement(request, ie::Password);
  return element && ElementText(*element, kMaxIeAreaLength) == identity.password;
}

}  // namespace tusko::sim
