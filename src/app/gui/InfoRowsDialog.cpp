#include "app/gui/InfoRowsDialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

InfoRowsDialog::InfoRowsDialog(const LanguageManager& language, const char* titleKey, const std::string& leadText,
                               const std::vector<InfoRow>& rows, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(ToQString(language.GetCaptionString(titleKey)));
  auto* layout = new QVBoxLayout(this);
  if (!leadText.empty()) {
    auto* lead = new QLabel(ToQString(leadText), this);
    lead->setObjectName("leadText");
    lead->setWordWrap(true);
    layout->addWidget(lead);
  }
  auto* form = new QFormLayout;
  const QString unknown = ToQString(language.GetString("strSysInfoNA"));
  for (const auto& [label, value] : rows) {
    auto* shown = new QLabel(value.empty() ? unknown : ToQString(value), this);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(ToQString(label), shown);
  }
  layout->addLayout(form);
  auto* ok = new QPushButton(ToQString(language.GetString("strOK")), this);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace tusko::gui
