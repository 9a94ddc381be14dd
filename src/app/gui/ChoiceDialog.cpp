#include "app/gui/ChoiceDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/gui/DialogParts.h"
#include "app/gui/UiText.h"

namespace tusko::gui {

ChoiceDialog::ChoiceDialog(const LanguageManager& language, const QString& titleOrKey, const char* labelKey,
                           std::initializer_list<const char*> itemKeys, int selected, QWidget* parent)
    : QDialog(parent), list_(KeyedList(language, itemKeys, selected)) {
  setWindowTitle(titleOrKey);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  form->addRow(new QLabel(labelKey), list_);
  layout->addLayout(form);
  AddOkCancel(*this, *layout);
  TranslateWindow(*this, language);
}

int ChoiceDialog::selected() const { return list_->currentIndex(); }

AnnouncementTypeDialog::AnnouncementTypeDialog(const LanguageManager& language, int kind, QWidget* parent)
    : ChoiceDialog(language, "strAnnouncementUpdate", "strAnnouncementType",
                   {"strAnnouncementMOH", "strAnnouncementOutgoing", "strAnnouncementIncoming"}, kind, parent) {}

ModuleSelectDialog::ModuleSelectDialog(const LanguageManager& language, const std::string& title, int module,
                                       QWidget* parent)
    : ChoiceDialog(language, ToQString(title), "strGsmModuleSelect", {"strGsmModule1", "strGsmModule2"}, module,
                   parent) {}

}  // namespace tusko::gui
