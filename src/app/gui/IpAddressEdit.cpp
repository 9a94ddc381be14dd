#include "app/gui/IpAddressEdit.h"

#include <QRegularExpressionValidator>

namespace tusko::gui {

namespace {

constexpr int kParts = 4;
constexpr int kBitsPerPart = 8;
constexpr int kMaxAddressChars = 15;

}  // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QLineEdit(parent) {
  const QString part = QStringLiteral("(25[0-5]|2[0-4]\\d|1\\d\\d|[1-9]?\\d)");
  // Up to four numbers; while typing, an address may end with a dot.
  const QString pattern = QStringLiteral("^(%1(\\.%1){0,2}\\.?|%1(\\.%1){3})?$").arg(part);
  setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
  setMaxLength(kMaxAddressChars);
}

void IpAddressEdit::SetAddress(Ipv4Address address) {
  QStringList parts;
  for (int i = kParts - 1; i >= 0; --i) parts << QString::number((address >> (i * kBitsPerPart)) & 0xFF);
  setText(parts.join('.'));
}

Ipv4Address IpAddressEdit::Address() const {
  const QStringList parts = text().split('.');
  Ipv4Address address = 0;
  for (int i = 0; i < kParts; ++i) {
    const int value = i < parts.size() ? parts[i].toInt() : 0;
    address = (address << kBitsPerPart) | static_cast<Ipv4Address>(value & 0xFF);
  }
  return address;
}

}  // namespace tusko::gui
