#include "app/gui/NetworkPageWidget.h"

#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

#include "app/gui/IpAddressEdit.h"
#include "app/gui/UiText.h"
#include "config/NetworkPage.h"

namespace tusko::gui {

namespace {

using Address = NetworkPage::Address;

struct AddressRow {
  Address address;
  const char* labelKey;
  const char* objectName;
};

constexpr std::array<AddressRow, 5> kAddressRows = {{
    {Address::LanIp, "strSystemNetIpAddr", "lanIp"},
    {Address::SubnetMask, "strSystemNetMask", "subnetMask"},
    {Address::DefaultGateway, "strSystemNetGateway", "defaultGateway"},
    {Address::Dns1, "strSystemNetDns1", "dns1"},
    {Address::Dns2, "strSystemNetDns2", "dns2"},
}};
constexpr int kMaxPortChars = 5;

}  // namespace

NetworkPageWidget::NetworkPageWidget(const LanguageManager& language, QWidget* parent)
    : PageWidget(parent), port_(new QLineEdit) {
  auto* form = new QFormLayout(this);
  for (std::size_t i = 0; i < kAddressRows.size(); ++i) {
    addresses_[i] = new IpAddressEdit;
    addresses_[i]->setObjectName(kAddressRows[i].objectName);
    form->addRow(new QLabel(kAddressRows[i].labelKey), addresses_[i]);
  }
  port_->setObjectName(std::string(NetworkPage::kPortField).c_str());
  port_->setMaxLength(kMaxPortChars);
  form->addRow(new QLabel("strSystemNetPort"), port_);
  TranslateWindow(*this, language);
}

void NetworkPageWidget::Show(const ConfigurationPage& page) {
  const auto& network = static_cast<const NetworkPage&>(page);
  for (std::size_t i = 0; i < kAddressRows.size(); ++i) addresses_[i]->SetAddress(network.address(kAddressRows[i].address));
  port_->setText(ToQString(network.portText()));
}

void NetworkPageWidget::Store(ConfigurationPage& page) const {
  auto& network = static_cast<NetworkPage&>(page);
  for (std::size_t i = 0; i < kAddressRows.size(); ++i) network.SetAddress(kAddressRows[i].address, addresses_[i]->Address());
  network.SetPortText(ToStdString(port_->text()));
}

void NetworkPageWidget::FocusField(std::string_view field) {
  if (field == NetworkPage::kPortField) {
    port_->setFocus();
    port_->selectAll();
  }
}

}  // namespace tusko::gui
