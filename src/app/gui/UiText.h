#pragma once

#include <string>
#include <string_view>

#include <QString>

class QWidget;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// A text of the language file for a Qt widget.
QString ToQString(std::string_view text);
std::string ToStdString(const QString& text);

// True for a text that names a language key rather than showing itself: "str"
// and, for a window caption, an upper-case letter after it.
bool IsTextKey(const QString& text);
bool IsCaptionKey(const QString& text);

// Translates a window and its descendants. Widgets are created with their
// language keys as their texts (labels, buttons, group boxes, the window
// title); each key is kept in a property so that Retranslate can look it up
// again after a language change. Texts that are not keys stay as they are.
void TranslateWindow(QWidget& window, const LanguageManager& language);
// Sets every text again from the kept keys.
void RetranslateWindow(QWidget& window, const LanguageManager& language);

// Gives one widget its key and its text at once, for widgets made after the
// window was translated.
void SetKeyedText(QWidget& widget, std::string_view key, const LanguageManager& language);

}  // namespace tusko::gui
