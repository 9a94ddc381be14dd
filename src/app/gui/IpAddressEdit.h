#pragma once

#include <QLineEdit>

#include "config/AddressFields.h"

namespace tusko::gui {

// An IPv4 address box: four numbers 0..255 separated by dots; numbers left
// out count as 0, as in the gateway's own address fields.
class IpAddressEdit final : public QLineEdit {
  Q_OBJECT

 public:
  explicit IpAddressEdit(QWidget* parent = nullptr);

  void SetAddress(Ipv4Address address);
  Ipv4Address Address() const;
};

}  // namespace tusko::gui
