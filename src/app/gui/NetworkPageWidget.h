#pragma once

#include <array>

#include "app/gui/PageWidget.h"

class QLineEdit;

namespace tusko::gui {

class IpAddressEdit;

// The network page: the gateway's LAN address, mask, default gateway, two
// DNS servers and its TCP port.
class NetworkPageWidget final : public PageWidget {
  Q_OBJECT

 public:
  explicit NetworkPageWidget(const LanguageManager& language, QWidget* parent = nullptr);

  void Show(const ConfigurationPage& page) override;
  void Store(ConfigurationPage& page) const override;
  void FocusField(std::string_view field) override;

 private:
  std::array<IpAddressEdit*, 5> addresses_{};
  QLineEdit* port_;
};

}  // namespace tusko::gui
