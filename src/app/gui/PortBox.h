#pragma once

#include <QSpinBox>

namespace tusko::gui {

// A port number 0..65535 whose 0 is shown, and may be typed, as an empty box:
// the configuration holds "no port" as 0.
class PortBox final : public QSpinBox {
  Q_OBJECT

 public:
  explicit PortBox(QWidget* parent = nullptr);

 protected:
  QValidator::State validate(QString& text, int& position) const override;
  int valueFromText(const QString& text) const override;
};

}  // namespace tusko::gui
