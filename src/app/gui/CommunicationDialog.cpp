#include "app/gui/CommunicationDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/UiText.h"
#include "link/LinkState.h"

namespace tusko::gui {

namespace {

constexpr int kMaxTcpAddressChars = 63;
constexpr int kFirstTcpPort = 1;
constexpr int kLastTcpPort = 65535;

QString PortItemText(const SerialPortEntry& port) {
  const QString path = ToQString(port.deviceNode);
  return port.description.empty() ? path : QStringLiteral("%1 (%2)").arg(path, ToQString(port.description));
}

}  // namespace

CommunicationDialog::CommunicationDialog(const LanguageManager& language, LinkChoice current,
                                         std::vector<SerialPortEntry> ports, QWidget* parent)
    : QDialog(parent),
      choice_(std::move(current)),
      serial_(new QRadioButton("strCommunicationUsb")),
      tcp_(new QRadioButton("strCommunicationTcpIp")),
      portLabel_(new QLabel("strCommunicationUsbPort")),
      ports_(new QComboBox),
      addressLabel_(new QLabel("strCommunicationTcpAddress")),
      address_(new QLineEdit),
      tcpPortLabel_(new QLabel("strCommunicationTcpPort")),
      tcpPort_(new QLineEdit) {
  setWindowTitle("strCommunication");
  serial_->setObjectName("serialMode");
  tcp_->setObjectName("tcpMode");
  ports_->setObjectName("portList");
  address_->setObjectName("tcpAddress");
  tcpPort_->setObjectName("tcpPort");

  // The gateway's port comes first as listed; the item data is the path to store.
  int selected = ports.empty() ? -1 : 0;
  bool matched = false;
  for (const SerialPortEntry& port : ports) {
    ports_->addItem(PortItemText(port), ToQString(port.deviceNode));
    if (!matched && !choice_.portName.empty() && port.deviceNode.starts_with(choice_.portName)) {
      matched = true;
      selected = ports_->count() - 1;
    }
  }
  ports_->setCurrentIndex(selected);
  address_->setMaxLength(kMaxTcpAddressChars);
  address_->setText(ToQString(choice_.tcpAddress));
  tcpPort_->setValidator(new QIntValidator(kFirstTcpPort, kLastTcpPort, tcpPort_));
  if (choice_.tcpPort != 0) tcpPort_->setText(QString::number(choice_.tcpPort));

  auto* group = new QGroupBox("strCommunicationSetting");
  auto* form = new QFormLayout(group);
  form->addRow(serial_);
  form->addRow(portLabel_, ports_);
  form->addRow(tcp_);
  form->addRow(addressLabel_, address_);
  form->addRow(tcpPortLabel_, tcpPort_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  AddOkCancel(*this, *layout);

  (choice_.comMode == static_cast<std::uint32_t>(LinkType::Tcp) ? tcp_ : serial_)->setChecked(true);
  connect(serial_, &QRadioButton::toggled, this, &CommunicationDialog::EnableForMode);
  EnableForMode();
  TranslateWindow(*this, language);
}

void CommunicationDialog::EnableForMode() {
  const bool serial = serial_->isChecked();
  portLabel_->setEnabled(serial);
  ports_->setEnabled(serial);
  for (QWidget* control : std::initializer_list<QWidget*>{addressLabel_, address_, tcpPortLabel_, tcpPort_}) {
    control->setEnabled(!serial);
  }
}

void CommunicationDialog::accept() {
  choice_.comMode = static_cast<std::uint32_t>(serial_->isChecked() ? LinkType::Serial : LinkType::Tcp);
  if (const QString port = ports_->currentData().toString(); !port.isEmpty()) choice_.portName = ToStdString(port);
  choice_.tcpAddress = ToStdString(address_->text().trimmed());
  // An emptied or unfinished port number counts as none, which asks again at the next connect.
  bool number = false;
  const int tcpPort = tcpPort_->text().toInt(&number);
  choice_.tcpPort = number && tcpPort >= kFirstTcpPort && tcpPort <= kLastTcpPort ? static_cast<std::uint32_t>(tcpPort) : 0;
  QDialog::accept();
}

}  // namespace tusko::gui
