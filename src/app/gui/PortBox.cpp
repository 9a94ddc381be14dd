#include "app/gui/PortBox.h"

namespace tusko::gui {
namespace {

constexpr int kMaxPort = 65535;

}  // namespace

PortBox::PortBox(QWidget* parent) : QSpinBox(parent) {
  setRange(0, kMaxPort);
  setSpecialValueText(" ");
}

QValidator::State PortBox::validate(QString& text, int& position) const {
  if (text.trimmed().isEmpty()) return QValidator::Acceptable;
  return QSpinBox::validate(text, position);
}

int PortBox::valueFromText(const QString& text) const {
  return text.trimmed().isEmpty() ? minimum() : QSpinBox::valueFromText(text);
}

}  // namespace tusko::gui
