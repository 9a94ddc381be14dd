#include "config/NetworkPage.h"

#include "config/PortText.h"

namespace tusko {
namespace {

namespace net = layout::network;

// In the order of NetworkPage::Address.
constexpr std::array<layout::IpDigitsAt, NetworkPage::kAddressCount> kAddressFields{
    net::kLanIp, net::kSubnetMask, net::kDefaultGateway, net::kDns1, net::kDns2};

std::size_t Index(NetworkPage::Address which) { return static_cast<std::size_t>(which); }

}  // namespace

void NetworkPage::Load(const ConfigurationImage& working) {
  for (std::size_t i = 0; i < kAddressCount; ++i) addresses_[i] = ReadIpDigits(working, kAddressFields[i]);
  portText_ = PortBoxText(ReadPortDigits(working, net::kPort));
}

PageApply NetworkPage::Apply(ConfigurationImage& working) {
  const std::optional<std::uint16_t> port = ParsePortBox(portText_);
  if (!port) return PageApply::Failure("strSystemNetworkPortInvalid", kPortField);
  for (std::size_t i = 0; i < kAddressCount; ++i) WriteIpDigits(working, kAddressFields[i], addresses_[i]);
  WritePortDigits(working, net::kPort, *port);
  return PageApply::Success();
}

Ipv4Address NetworkPage::address(Address which) const {
  return Index(which) < kAddressCount ? addresses_[Index(which)] : 0;
}

void NetworkPage::SetAddress(Address which, Ipv4Address value) {
  if (Index(which) < kAddressCount) addresses_[Index(which)] = value;
}

}  // namespace tusko
