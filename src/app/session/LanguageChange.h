#pragma once

#include <string>

#include "app/language/LanguageManager.h"
#include "app/settings/ProgramSettings.h"
#include "app/settings/SettingsStore.h"

namespace tusko {

struct LanguageChange {
  bool changed = false;
  // The failed load's fixed English message, for kLoadErrorCaption; empty when it loaded.
  std::string loadError;
};

// The language command: loads language `number` and only once it has loaded
// makes it the setting `Language` and saves the program settings, so a
// language that does not load never reaches the next start. When it does not
// load, the previous language is loaded again and the settings stay as they were.
LanguageChange ChangeLanguage(LanguageManager& language, ProgramSettings& settings, SettingsStore& store, int number);

}  // namespace tusko
