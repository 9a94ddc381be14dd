#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <QDialog>

#include "link/SerialPortList.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// The link the user chose: a serial port (mode 0) or a TCP address and port (mode 1).
struct LinkChoice {
  std::uint32_t comMode = 0;
  std::string portName;
  std::string tcpAddress;
  std::uint32_t tcpPort = 0;
  bool operator==(const LinkChoice&) const = default;
};

// Chooses the link to the gateway. The port list holds every serial port of
// the machine as given, the gateway's USB port first and marked with its name.
class CommunicationDialog final : public QDialog {
  Q_OBJECT

 public:
  CommunicationDialog(const LanguageManager& language, LinkChoice current, std::vector<SerialPortEntry> ports,
                      QWidget* parent);
  LinkChoice choice() const { return choice_; }

 protected:
  void accept() override;

 private:
  void EnableForMode();

  LinkChoice choice_;
  QRadioButton* serial_;
  QRadioButton* tcp_;
  QLabel* portLabel_;
  QComboBox* ports_;
  QLabel* addressLabel_;
  QLineEdit* address_;
  QLabel* tcpPortLabel_;
  QLineEdit* tcpPort_;
};

}  // namespace tusko::gui
