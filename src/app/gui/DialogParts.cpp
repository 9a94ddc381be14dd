#include "app/gui/DialogParts.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

std::pair<QPushButton*, QPushButton*> AddOkCancel(QDialog& dialog, QBoxLayout& layout) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  auto* ok = new QPushButton("strOK", &dialog);
  ok->setObjectName("okButton");
  ok->setDefault(true);
  auto* cancel = new QPushButton("strCancel", &dialog);
  cancel->setObjectName("cancelButton");
  row->addWidget(ok);
  row->addWidget(cancel);
  layout.addLayout(row);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
  return {ok, cancel};
}

QComboBox* KeyedList(const LanguageManager& language, std::initializer_list<const char*> keys, int selected) {
  auto* list = new QComboBox;
  list->setObjectName("itemList");
  for (const char* key : keys) list->addItem(ToQString(language.GetString(key)));
  list->setCurrentIndex(selected >= 0 && selected < list->count() ? selected : 0);
  return list;
}

}  // namespace tusko::gui
