#include "app/gui/CommunicationDialog.h"

#include <algorithm>

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QValidator>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/UiText.h"
#include "link/LinkState.h"

namespace tusko::gui {

namespace {

constexpr int kMaxTcpAddressChars = 63;
constexpr std::uint32_t kFirstTcpPort = 1;
constexpr std::uint32_t kLastTcpPort = 65535;
constexpr qsizetype kMaxTcpPortDigits = 5;

bool IsTcpPort(std::uint32_t port) { return port >= kFirstTcpPort && port <= kLastTcpPort; }

// Refuses every keystroke that would leave the field outside 1..65535, so a
// port the link cannot use never gets in; an empty field means none.
class TcpPortValidator final : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int& /*position*/) const override {
    if (input.isEmpty()) return Intermediate;
    const bool digits = std::all_of(input.cbegin(), input.cend(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (!digits || input.size() > kMaxTcpPortDigits) return Invalid;
    return IsTcpPort(input.toUInt()) ? Acceptable : Invalid;
  }
};

QString PortItemText(const SerialPortEntry& port) {
  const QString path = ToQString(port.deviceNode);
  return port.description.empty() ? path : QStringLiteral("%1 (%2)").arg(path, ToQString(port.description));
}

// The entry named exactly by the stored port, else the first whose path begins
// with it (the gateway's port comes first, so /dev/ttyACM10 must not win over a
// stored /dev/ttyACM1 by prefix alone). Nothing stored: the first entry. A
// stored port that is not there selects nothing, so OK keeps it.
int StoredPortIndex(const std::vector<SerialPortEntry>& ports, const std::string& stored) {
  if (stored.empty()) return ports.empty() ? -1 : 0;
  const auto exact = std::find_if(ports.cbegin(), ports.cend(),
                                  [&](const SerialPortEntry& port) { return port.deviceNode == stored; });
  if (exact != ports.cend()) return static_cast<int>(exact - ports.cbegin());
  const auto prefix = std::find_if(ports.cbegin(), ports.cend(),
                                   [&](const SerialPortEntry& port) { return port.deviceNode.starts_with(stored); });
  return prefix == ports.cend() ? -1 : static_cast<int>(prefix - ports.cbegin());
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
  portLabel_->setObjectName("portLabel");
  ports_->setObjectName("portList");
  addressLabel_->setObjectName("tcpAddressLabel");
  address_->setObjectName("tcpAddress");
  tcpPortLabel_->setObjectName("tcpPortLabel");
  tcpPort_->setObjectName("tcpPort");

  // Kept in the given order: the gateway's port first matters more than the
  // alphabet. The item data is the path to store.
  for (const SerialPortEntry& port : ports) ports_->addItem(PortItemText(port), ToQString(port.deviceNode));
  ports_->setCurrentIndex(StoredPortIndex(ports, choice_.portName));
  address_->setMaxLength(kMaxTcpAddressChars);
  address_->setText(ToQString(choice_.tcpAddress));
  tcpPort_->setValidator(new TcpPortValidator(tcpPort_));
  // A stored number no TCP port can have is shown as none.
  if (IsTcpPort(choice_.tcpPort)) tcpPort_->setText(QString::number(choice_.tcpPort));

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
  // The validator lets only 1..65535 in; an empty field is 0, which asks again at the next connect.
  choice_.tcpPort = tcpPort_->text().toUInt();
  QDialog::accept();
}

}  // namespace tusko::gui
