#pragma once

#include <QDialog>

class QComboBox;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// Picks the program's language among those whose file exists.
class LanguageDialog final : public QDialog {
  Q_OBJECT

 public:
  LanguageDialog(const LanguageManager& language, int currentLanguage, QWidget* parent);
  // The chosen language's number, 1-based as the setting keeps it; the current
  // one when no language file is there to choose.
  int language() const;

 private:
  int current_;
  QComboBox* list_;
};

}  // namespace tusko::gui
