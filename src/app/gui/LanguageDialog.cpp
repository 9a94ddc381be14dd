#include "app/gui/LanguageDialog.h"

#include <algorithm>
#include <filesystem>

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

LanguageDialog::LanguageDialog(const LanguageManager& language, int currentLanguage, QWidget* parent)
    : QDialog(parent), current_(currentLanguage), list_(new QComboBox) {
  setWindowTitle("strLanguage");
  list_->setObjectName("languageList");
  for (int number = 1; number <= language.LanguageCount(); ++number) {
    const auto entry = language.LanguageInfo(number);
    std::error_code error;
    if (!entry || !std::filesystem::is_regular_file(entry->file, error)) continue;
    list_->addItem(ToQString(entry->name), number);
  }
  list_->model()->sort(0);
  list_->setCurrentIndex(std::max(0, list_->findData(currentLanguage)));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(new QLabel("strLanguageSelect"), list_);
  layout->addLayout(form);
  AddOkCancel(*this, *layout);
  TranslateWindow(*this, language);
}

int LanguageDialog::language() const { return list_->currentIndex() < 0 ? current_ : list_->currentData().toInt(); }

}  // namespace tusko::gui
