#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "config/AddressFields.h"
#include "config/ConfigurationPage.h"

namespace tusko {

// The network page: the gateway's LAN addresses and its TCP port.
class NetworkPage final : public ConfigurationPage {
 public:
  enum class Address : std::size_t { LanIp, SubnetMask, DefaultGateway, Dns1, Dns2 };
  static constexpr std::size_t kAddressCount = 5;
  // The focus field of a port that is not a number 1..65535.
  static constexpr std::string_view kPortField = "port";

  PageId id() const override { return PageId::SystemNetwork; }
  void Load(const ConfigurationImage& working) override;
  // Refuses, writing nothing, unless the port box holds 1..65535: the
  // gateway would be unreachable over the LAN without a port.
  PageApply Apply(ConfigurationImage& working) override;

  Ipv4Address address(Address which) const;
  void SetAddress(Address which, Ipv4Address value);
  const std::string& portText() const { return portText_; }
  void SetPortText(std::string_view text) { portText_ = text; }

 private:
  std::array<Ipv4Address, kAddressCount> addresses_{};
  std::string portText_;
};

}  // namespace tusko
