#pragma once

#include <QDialog>

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// The program's name, description and version.
class AboutDialog final : public QDialog {
  Q_OBJECT

 public:
  AboutDialog(const LanguageManager& language, QWidget* parent);
};

}  // namespace tusko::gui
