// Reads arbitrary bytes as an INI file and looks up what a language file offers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/language/IniFile.h"
#include "app/language/TextKeys.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const tusko::IniFile ini = tusko::IniFile::Parse(text);
  static constexpr std::string_view kSections[] = {"general", "strings", "menus", "tooltips", "language files", ""};
  static constexpr std::string_view kKeys[] = {"version", "num_languages", "directory", "1", "strAppName", "menuFileNew", ""};
  for (const auto section : kSections) {
    for (const auto key : kKeys) {
      const std::string value = ini.GetString(section, key);
      const auto asWritten = ini.FindAsWritten(section, key);
      if (asWritten && asWritten->size() > size) std::abort();
      static_cast<void>(tusko::ReplaceLineBreaks(value));
      static_cast<void>(tusko::PopupMenuItemText(value));
      static_cast<void>(ini.GetInt(section, key, 0));
    }
    for (const std::string& key : ini.Keys(section)) {
      if (!ini.Find(section, key)) std::abort();  // every listed key must be found again
    }
  }
  return 0;
}
