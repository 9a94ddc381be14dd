#pragma once

#include <initializer_list>
#include <string>

#include <QDialog>

class QComboBox;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// A question with one drop-down list of language texts: the position chosen
// is the answer.
class ChoiceDialog : public QDialog {
  Q_OBJECT

 public:
  ChoiceDialog(const LanguageManager& language, const QString& titleOrKey, const char* labelKey,
               std::initializer_list<const char*> itemKeys, int selected, QWidget* parent);
  int selected() const;

 private:
  QComboBox* list_;
};

// The voice announcement to replace: 0 music on hold, 1 outgoing, 2 incoming.
class AnnouncementTypeDialog final : public ChoiceDialog {
  Q_OBJECT

 public:
  AnnouncementTypeDialog(const LanguageManager& language, int kind, QWidget* parent);
  int kind() const { return selected(); }
};

// One of the two GSM modules, under the title the caller gives.
class ModuleSelectDialog final : public ChoiceDialog {
  Q_OBJECT

 public:
  ModuleSelectDialog(const LanguageManager& language, const std::string& title, int module, QWidget* parent);
  int module() const { return selected(); }
};

}  // namespace tusko::gui
