#include "app/session/LanguageChange.h"

namespace tusko {

LanguageChange ChangeLanguage(LanguageManager& language, ProgramSettings& settings, SettingsStore& store, int number) {
  if (language.LoadLanguage(number) != LanguageLoadResult::Loaded) {
    LanguageChange failed{false, language.LoadErrorMessage()};
    language.LoadLanguage(static_cast<int>(settings.language));
    return failed;
  }
  settings.language = static_cast<std::uint32_t>(number);
  SaveProgramSettings(store, settings);
  return {true, {}};
}

}  // namespace tusko
