#include "gui/support/GuiLanguage.h"

namespace tusko::gui::test {

LanguageManager LoadedLanguage(int number) {
  LanguageManager language(TUSKO_RESOURCES_DIR);
  language.LoadLanguage(number);
  return language;
}

}  // namespace tusko::gui::test
