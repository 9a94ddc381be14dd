#include "app/language/LanguageManager.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace tusko {
namespace {

constexpr std::string_view kGeneralSection = "general";
constexpr std::string_view kLanguageNamesSection = "language names";
constexpr std::string_view kLanguageFilesSection = "language files";
constexpr std::string_view kHelpFilesSection = "help files";
constexpr std::string_view kStringsSection = "strings";
constexpr std::string_view kMenusSection = "menus";
constexpr std::string_view kTooltipsSection = "tooltips";
constexpr std::string_view kLanguageCountKey = "num_languages";
constexpr std::string_view kDirectoryKey = "directory";
constexpr std::string_view kVersionKey = "version";
constexpr std::string_view kMissingVersion = "0.0.0.0";

}  // namespace

LanguageManager::LanguageManager(std::filesystem::path indexFolder) : indexFolder_(std::move(indexFolder)) {}

std::filesystem::path LanguageManager::EffectiveIndexFolder() const {
  if (!indexFolder_.empty()) return indexFolder_;
  std::error_code error;
  auto current = std::filesystem::current_path(error);
  return error ? std::filesystem::path(".") : current;
}

std::optional<IniFile> LanguageManager::ReadIndex() const {
  return IniFile::Load(EffectiveIndexFolder() / kLanguageIndexFileName);
}

int LanguageManager::LanguageCount() const {
  const auto index = ReadIndex();
  if (!index) return 0;
  return std::clamp(index->GetInt(kGeneralSection, kLanguageCountKey, 0), 0, kMaxLanguageCount);
}

std::optional<LanguageEntry> LanguageManager::LanguageInfo(int number, LanguageInfoParts parts) const {
  const auto index = ReadIndex();
  if (!index) return std::nullopt;
  return LanguageInfo(*index, number, parts);
}

std::optional<LanguageEntry> LanguageManager::LanguageInfo(const IniFile& index, int number,
                                                           LanguageInfoParts parts) const {
  const std::string key = std::to_string(number);
  LanguageEntry entry;
  if (parts != LanguageInfoParts::File) {
    entry.name = index.GetString(kLanguageNamesSection, key);
    if (entry.name.empty()) return std::nullopt;
  }
  if (parts != LanguageInfoParts::Name) {
    const std::string fileName(CutToCharacters(index.GetString(kLanguageFilesSection, key), kMaxLanguageFileNameChars));
    if (fileName.empty()) return std::nullopt;
    // A relative folder is taken from where LANG.INI is, which is the current
    // directory unless the manager was pointed elsewhere.
    const std::filesystem::path directory = index.GetString(kGeneralSection, kDirectoryKey);
    const std::filesystem::path folder = EffectiveIndexFolder() / directory;
    std::string folderText = folder.string();
    const bool needsSeparator = !folderText.empty() && folderText.back() != '/';
    const std::size_t fullLength = folderText.size() + (needsSeparator ? 1 : 0) + fileName.size();
    if (fullLength >= kMaxPathBytes) {
      entry.file = folder;  // reported as not found when loaded
    } else {
      if (needsSeparator) folderText += '/';
      entry.file = folderText + fileName;
    }
  }
  return entry;
}

LanguageLoadResult LanguageManager::Fail(LanguageLoadResult result, std::string message) {
  loadError_ = std::move(message);
  disabled_ = true;
  language_.reset();
  // The help file belongs to a loaded language; with none loaded there is none.
  helpFile_.clear();
  return result;
}

LanguageLoadResult LanguageManager::LoadLanguage(int number) {
  const auto index = ReadIndex();
  const auto entry = index ? LanguageInfo(*index, number, LanguageInfoParts::File) : std::nullopt;
  if (!entry) {
    languageFile_.clear();
    return Fail(LanguageLoadResult::NoLanguageSetting, std::string(kNoLanguageSettingMessage));
  }
  auto language = IniFile::Load(entry->file);
  if (!language) {
    const std::string upperPath = AsciiUpper(entry->file.string());
    languageFile_.clear();
    return Fail(LanguageLoadResult::FileNotFound,
                SafeFormat(kNoLanguageFileMessage, {upperPath}, kMaxFormattedMessageChars));
  }
  languageFile_ = entry->file;
  if (language->FindAsWritten(kGeneralSection, kVersionKey).value_or(kMissingVersion) != kLanguageFileVersion) {
    return Fail(LanguageLoadResult::IncompatibleVersion, std::string(kIncompatibleVersionMessage));
  }
  language_ = std::move(language);
  disabled_ = false;
  loadError_.clear();
  const std::string help = index->GetString(kHelpFilesSection, std::to_string(number));
  helpFile_ = help.empty() ? std::filesystem::path() : EffectiveIndexFolder() / help;
  return LanguageLoadResult::Loaded;
}

HelpViewer LanguageManager::HelpFileViewer() const {
  return ChooseHelpViewer(helpFile_.string(), [](const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
  });
}

std::string LanguageManager::Lookup(std::string_view section, std::string_view key) const {
  if (disabled_ || !language_) return {};
  return language_->GetString(section, key);
}

std::string LanguageManager::GetString(std::string_view key) const {
  return ReplaceLineBreaks(Lookup(kStringsSection, key));
}

std::string LanguageManager::GetCaptionString(std::string_view key) const { return Lookup(kStringsSection, key); }

std::string LanguageManager::GetMenuString(std::string_view key) const { return Lookup(kMenusSection, key); }

std::string LanguageManager::GetTooltip(int commandId) const {
  const auto key = TooltipKey(commandId);
  return key ? Lookup(kTooltipsSection, *key) : std::string();
}

std::string LanguageManager::GetButtonText(int buttonId) const {
  const std::string_view key = ButtonTextKey(buttonId);
  return key.empty() ? std::string() : GetString(key);
}

std::string LanguageManager::FormatString(std::string_view key, std::span<const FormatArg> args,
                                          std::size_t maxCharacters) const {
  return SafeFormat(GetString(key), args, maxCharacters);
}

std::string LanguageManager::FormatString(std::string_view key, std::initializer_list<FormatArg> args,
                                          std::size_t maxCharacters) const {
  return FormatString(key, std::span<const FormatArg>(args.begin(), args.size()), maxCharacters);
}

std::optional<LanguageMessage> LanguageManager::BuildMessage(std::string text,
                                                             std::optional<std::string_view> captionKey,
                                                             unsigned style) const {
  LanguageMessage message;
  message.text = std::move(text);
  message.caption = CutToCharacters(GetString(captionKey.value_or(kAppNameKey)), kMaxCaptionChars);
  message.style = style | kStyleSetForeground;
  return message;
}

std::optional<LanguageMessage> LanguageManager::Message(std::string_view textKey,
                                                        std::optional<std::string_view> captionKey,
                                                        unsigned style) const {
  if (disabled_) return std::nullopt;
  return BuildMessage(std::string(CutToCharacters(GetString(textKey), kMaxMessageTextChars)), captionKey, style);
}

std::optional<LanguageMessage> LanguageManager::FormattedMessage(std::string_view textKey,
                                                                 std::optional<std::string_view> captionKey,
                                                                 unsigned style,
                                                                 std::span<const FormatArg> args) const {
  if (disabled_) return std::nullopt;
  const std::string text = GetString(textKey);
  return BuildMessage(SafeFormat(CutToCharacters(text, kMaxMessageTextChars), args, kMaxFormattedMessageChars), captionKey, style);
}

std::optional<LanguageMessage> LanguageManager::FormattedMessage(std::string_view textKey,
                                                                 std::optional<std::string_view> captionKey,
                                                                 unsigned style,
                                                                 std::initializer_list<FormatArg> args) const {
  return FormattedMessage(textKey, captionKey, style, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace tusko
