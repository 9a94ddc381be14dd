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
    // Qt reads the patterns from the last parentheses: a description that shows them already,
    // with ";" or blanks, gets them once, in Qt's form.
    QString shownBefore;
    if (const qsizetype open = description.lastIndexOf('('); open >= 0 && description.endsWith(')')) {
      const QString listed = description.mid(open + 1, description.size() - open - 2).replace(';', ' ').simplified();
      if (listed == patterns.simplified()) shownBefore = description.left(open).trimmed();
    }
    const QString text = shownBefore.isEmpty() ? description : shownBefore;
    filters << QStringLiteral("%1 (%2)").arg(text, patterns);
  }
  return filters;
}

}  // namespace tusko::gui
