#pragma once

#include <filesystem>
#include <initializer_list>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/language/LanguageManager.h"

namespace tusko::cli {

// The language options of tuskoctl, taken out of the command line before the
// commands see it.
struct LanguageOptions {
  std::optional<int> language;                   // --language N
  std::optional<std::filesystem::path> langDir;  // --lang-dir DIR
};

// A malformed language option: the key of its message and the argument it names.
struct LanguageOptionError {
  std::string_view key;
  std::string argument;
};

struct LanguageOptionsParse {
  LanguageOptions options;
  std::vector<std::string> rest;  // every other argument, in order
  std::optional<LanguageOptionError> error;
};

LanguageOptionsParse ExtractLanguageOptions(std::span<char* const> args);

// Where LANG.INI is read from: the --lang-dir folder when given; else the current
// directory when it holds LANG.INI; else the installed data folder; else the
// resources folder of the build.
std::filesystem::path LanguageIndexFolder(const LanguageOptions& options);

// The tool's own texts, from the language files.
class CliLanguage {
 public:
  // Loads the language of --language, else the stored "Language" setting. On
  // failure writes the fixed English message to `err` and returns false.
  bool Load(const LanguageOptions& options, std::ostream& err);

  // The text of a key, its line breaks made plain for a terminal.
  std::string Text(std::string_view key) const;
  std::string Format(std::string_view key, std::initializer_list<FormatArg> args) const;
  std::string Format(std::string_view key, std::span<const FormatArg> args) const;
  // The loaded language, for the core's text tables. Only after Load succeeded.
  const LanguageManager& manager() const { return *manager_; }

 private:
  std::optional<LanguageManager> manager_;
};

}  // namespace tusko::cli
