#include "app/gui/DescriptionLabel.h"

#include <QLabel>

namespace tusko::gui {

namespace {
constexpr int kDescriptionMargin = 12;  // pixels
}  // namespace

QLabel* NewDescriptionLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setObjectName("descriptionPage");
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setMargin(kDescriptionMargin);
  return label;
}

}  // namespace tusko::gui
