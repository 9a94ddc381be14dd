#pragma once

#include <string_view>

#include <QStringList>

namespace tusko::gui {

// A language text of file-dialog filters, pairs of description and pattern
// each ended by "|" ("Text files (*.txt)|*.txt|"), as Qt's filter list. A pair
// cut short is left out.
QStringList FileDialogFilters(std::string_view languageText);

}  // namespace tusko::gui
