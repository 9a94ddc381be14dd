#pragma once

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/language/IniFile.h"
#include "app/language/LanguageMessage.h"
#include "app/language/TextKeys.h"
#include "base/SafeFormat.h"

namespace tusko {

inline constexpr std::string_view kLanguageIndexFileName = "LANG.INI";
inline constexpr std::string_view kLanguageFileVersion = "1.2.0.0";

// The load failures are reported in fixed English: no language is there to say them.
inline constexpr std::string_view kLoadErrorCaption = "Error";
inline constexpr std::string_view kNoLanguageSettingMessage = "Cannot find language setting!";
inline constexpr std::string_view kNoLanguageFileMessage = "Cannot find language file %s!";
inline constexpr std::string_view kIncompatibleVersionMessage = "Incompatible version of the language file!";

inline constexpr std::size_t kMaxPathBytes = 260;  // a path buffer with its terminating NUL
inline constexpr std::size_t kMaxLanguageFileNameChars = 63;
inline constexpr std::size_t kMaxCaptionChars = 127;
inline constexpr std::size_t kMaxMessageTextChars = 259;
inline constexpr std::size_t kMaxFormattedMessageChars = 519;
// A larger "num_languages" is taken as this, so that a damaged index cannot make a
// language list run for billions of entries.
inline constexpr int kMaxLanguageCount = 999;

inline constexpr std::string_view kAppNameKey = "strAppName";

enum class LanguageLoadResult { Loaded, NoLanguageSetting, FileNotFound, IncompatibleVersion };

enum class LanguageInfoParts { Name, File, Both };

struct LanguageEntry {
  std::string name;
  std::filesystem::path file;
};

// Finds the language files through the index file LANG.INI, loads one of them and
// looks up its texts by key. A missing key or section gives an empty text, never
// the key. While disabled (after a failed load) every look-up gives nothing and no
// message box is built. Loading another language later needs nothing but another
// LoadLanguage call.
class LanguageManager {
 public:
  // `indexFolder` holds LANG.INI; empty means the process's current directory at
  // the time of each call.
  explicit LanguageManager(std::filesystem::path indexFolder = {});

  int LanguageCount() const;
  // The display name and/or the full path of a language's file; empty when a wanted
  // part is not in the index. A path too long for the platform is the folder alone.
  std::optional<LanguageEntry> LanguageInfo(int number, LanguageInfoParts parts = LanguageInfoParts::Both) const;
  // Loads and validates; on failure LoadErrorMessage() holds the fixed English text
  // to show under kLoadErrorCaption with the error icon.
  LanguageLoadResult LoadLanguage(int number);

  bool IsDisabled() const { return disabled_; }
  const std::string& LoadErrorMessage() const { return loadError_; }
  const std::filesystem::path& LanguageFile() const { return languageFile_; }
  // Empty when the loaded language has none.
  const std::filesystem::path& HelpFile() const { return helpFile_; }
  HelpViewer HelpFileViewer() const;

  // [strings] with "\n" turned into a line break.
  std::string GetString(std::string_view key) const;
  // [strings] as written, for window captions.
  std::string GetCaptionString(std::string_view key) const;
  // [menus] as written; popup items go through PopupMenuItemText.
  std::string GetMenuString(std::string_view key) const;
  std::string GetTooltip(int commandId) const;
  std::string GetButtonText(int buttonId) const;
  // GetString(key) used as a printf-style format, safely, cut to `maxCharacters`.
  std::string FormatString(std::string_view key, std::span<const FormatArg> args, std::size_t maxCharacters) const;
  std::string FormatString(std::string_view key, std::initializer_list<FormatArg> args,
                           std::size_t maxCharacters) const;

  // The texts of a message box by key, or nothing while disabled. Without a caption
  // key the caption is "strAppName".
  std::optional<LanguageMessage> Message(std::string_view textKey, std::optional<std::string_view> captionKey,
                                         unsigned style) const;
  std::optional<LanguageMessage> FormattedMessage(std::string_view textKey,
                                                  std::optional<std::string_view> captionKey, unsigned style,
                                                  std::span<const FormatArg> args) const;
  std::optional<LanguageMessage> FormattedMessage(std::string_view textKey,
                                                  std::optional<std::string_view> captionKey, unsigned style,
                                                  std::initializer_list<FormatArg> args) const;

 private:
  std::filesystem::path EffectiveIndexFolder() const;
  std::optional<IniFile> ReadIndex() const;
  std::optional<LanguageEntry> LanguageInfo(const IniFile& index, int number, LanguageInfoParts parts) const;
  LanguageLoadResult Fail(LanguageLoadResult result, std::string message);
  std::string Lookup(std::string_view section, std::string_view key) const;
  std::optional<LanguageMessage> BuildMessage(std::string text, std::optional<std::string_view> captionKey,
                                              unsigned style) const;

  std::filesystem::path indexFolder_;
  bool disabled_ = false;
  std::optional<IniFile> language_;
  std::filesystem::path languageFile_;
  std::filesystem::path helpFile_;
  std::string loadError_;
};

}  // namespace tusko
