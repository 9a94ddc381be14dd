#pragma once

#include <utility>

class QBoxLayout;
class QComboBox;
class QDialog;
class QPushButton;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// "strOK" and "strCancel" at the foot of a dialog, named okButton and
// cancelButton; OK accepts and Cancel rejects.
std::pair<QPushButton*, QPushButton*> AddOkCancel(QDialog& dialog, QBoxLayout& layout);

// A drop-down list of language texts in the given order, `selected` chosen.
QComboBox* KeyedList(const LanguageManager& language, std::initializer_list<const char*> keys, int selected);

}  // namespace tusko::gui
