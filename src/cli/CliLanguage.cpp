#include "cli/CliLanguage.h"

#include <charconv>
#include <ostream>
#include <system_error>

#include "app/language/LanguageFolder.h"
#include "app/settings/FileSettingsStore.h"
#include "app/settings/ProgramSettings.h"

#ifndef TUSKO_RESOURCES_DIR
#define TUSKO_RESOURCES_DIR "resources"
#endif

namespace tusko::cli {
namespace {

constexpr std::string_view kLanguageOption = "--language";
constexpr std::string_view kLangDirOption = "--lang-dir";
constexpr std::string_view kMissingValueKey = "strCliMissingValue";
constexpr std::string_view kBadLanguageKey = "strCliBadLanguage";
// What the "\n" rule makes of a line break; a terminal needs no blank before it.
constexpr std::string_view kMessageLineBreak = " \n";
// tuskoctl lines are not message boxes; this only keeps a damaged file from flooding the terminal.
constexpr std::size_t kMaxCliTextChars = 4096;

std::optional<int> ParseLanguageNumber(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return number;
}

int StoredLanguage() {
  const auto file = FileSettingsStore::DefaultFilePath();
  if (!file) return static_cast<int>(ProgramSettings().language);
  FileSettingsStore store(*file);
  return static_cast<int>(LoadProgramSettings(store).language);
}

std::string PlainLineBreaks(std::string text) {
  for (auto pos = text.find(kMessageLineBreak); pos != std::string::npos; pos = text.find(kMessageLineBreak, pos)) {
    text.erase(pos, 1);
    ++pos;
  }
  return text;
}

}  // namespace

LanguageOptionsParse ExtractLanguageOptions(std::span<char* const> args) {
  LanguageOptionsParse parse;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg != kLanguageOption && arg != kLangDirOption) {
      parse.rest.emplace_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) {
      parse.error = LanguageOptionError{kMissingValueKey, std::string(arg)};
      continue;
    }
    const std::string_view value = args[++i];
    if (arg == kLangDirOption) {
      parse.options.langDir = std::filesystem::path(value);
    } else if (const auto number = ParseLanguageNumber(value)) {
      parse.options.language = number;
    } else if (!parse.error) {
      parse.error = LanguageOptionError{kBadLanguageKey, std::string(value)};
    }
  }
  return parse;
}

std::filesystem::path LanguageIndexFolder(const LanguageOptions& options) {
  if (options.langDir) return *options.langDir;
  return FindLanguageIndexFolder({InstalledDataFolder(), TUSKO_RESOURCES_DIR});
}

bool CliLanguage::Load(const LanguageOptions& options, std::ostream& err) {
  manager_.emplace(LanguageIndexFolder(options));
  const int number = options.language ? *options.language : StoredLanguage();
  if (manager_->LoadLanguage(number) == LanguageLoadResult::Loaded) return true;
  err << kLoadErrorCaption << ": " << manager_->LoadErrorMessage() << "\n";
  return false;
}

std::string CliLanguage::Text(std::string_view key) const {
  if (!manager_) return {};
  return PlainLineBreaks(std::string(CutToCharacters(manager_->GetString(key), kMaxCliTextChars)));
}

std::string CliLanguage::Format(std::string_view key, std::initializer_list<FormatArg> args) const {
  return Format(key, std::span<const FormatArg>(args.begin(), args.size()));
}

std::string CliLanguage::Format(std::string_view key, std::span<const FormatArg> args) const {
  if (!manager_) return {};
  return PlainLineBreaks(manager_->FormatString(key, args, kMaxCliTextChars));
}

}  // namespace tusko::cli
