#include "app/gui/FileDialogFilter.h"

#include "app/gui/UiText.h"

namespace tusko::gui {

QStringList FileDialogFilters(std::string_view languageText) {
  const QStringList parts = ToQString(languageText).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    // Several patterns are separated by ";" in the language text and by blanks for Qt.
    const QString patterns = parts[i + 1].trimmed().replace(';', ' ');
    if (description.isEmpty() || patterns.isEmpty()) continue;
    // Qt reads the patterns from the last parentheses; a description that shows them already serves.
    const QString shown = QStringLiteral("(%1)").arg(patterns);
    filters << (description.endsWith(shown) ? description : QStringLiteral("%1 %2").arg(description, shown));
  }
  return filters;
}

}  // namespace tusko::gui
