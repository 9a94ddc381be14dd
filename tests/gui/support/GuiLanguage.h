#pragma once

#include "app/language/LanguageManager.h"

namespace tusko::gui::test {

// The delivered language files, loaded: English (1) unless told otherwise.
LanguageManager LoadedLanguage(int number = 1);

}  // namespace tusko::gui::test
