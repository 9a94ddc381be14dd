#include "app/language/TextKeys.h"

#include <algorithm>

namespace tusko {
namespace {

constexpr std::string_view kKeyPrefix = "str";
constexpr std::string_view kLineBreakPair = "\\n";
constexpr std::string_view kLineBreak = " \n";
constexpr std::string_view kCompiledHelpMark = ".chm";
constexpr std::string_view kWinHelpContentsExtension = "cnt";
constexpr std::size_t kWinHelpExtensionLength = 4;  // the dot and three letters

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string AsciiLower(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), LowerChar);
  return result;
}

std::string AsciiUpper(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), UpperChar);
  return result;
}

bool IsWindowCaptionKey(std::string_view text) {
  return text.size() > kKeyPrefix.size() && text.starts_with(kKeyPrefix) && text[kKeyPrefix.size()] >= 'A' &&
         text[kKeyPrefix.size()] <= 'Z';
}

bool IsControlTextKey(std::string_view text) { return text.starts_with(kKeyPrefix); }

bool IsUntranslatedControl(int controlId) {
  return controlId >= kFirstUntranslatedControl && controlId <= kLastUntranslatedControl;
}

bool ForgetsControlKey(int controlId) { return !IsUntranslatedControl(controlId) && controlId != kControlKeepingKey; }

std::string ReplaceLineBreaks(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    if (text.substr(pos, kLineBreakPair.size()) == kLineBreakPair) {
      result += kLineBreak;
      pos += kLineBreakPair.size();
    } else {
      result += text[pos++];
    }
  }
  return result;
}

std::string PopupMenuItemText(std::string_view menuText) {
  std::string result(menuText);
  if (const auto backslash = result.find('\\'); backslash != std::string::npos) result[backslash] = '\t';
  return result;
}

std::optional<std::string_view> TooltipKey(int commandId) {
  switch (commandId) {
    case kCommandFileNew: return "ttipNew";
    case kCommandFileOpen: return "ttipOpen";
    case kCommandFileSave: return "ttipSave";
    case kCommandDownload: return "ttipDownload";
    case kCommandUpload: return "ttipUpload";
    case kCommandAbout: return "ttipAbout";
    default: return std::nullopt;
  }
}

std::string_view ButtonTextKey(int buttonId) {
  switch (buttonId) {
    case kButtonOk: return "strOK";
    case kButtonCancel: return "strCancel";
    case kButtonYes: return "strYes";
    case kButtonNo: return "strNo";
    default: return {};
  }
}

HelpViewer ChooseHelpViewer(std::string_view helpFile, const std::function<bool(const std::string&)>& fileExists) {
  if (helpFile.empty()) return HelpViewer::None;
  const std::string name = AsciiLower(helpFile);
  if (name.find(kCompiledHelpMark) != std::string::npos) return HelpViewer::CompiledHtml;
  if (name.ends_with(".htm") || name.ends_with(".html")) return HelpViewer::HtmlPage;
  if (name.size() > kWinHelpExtensionLength && name[name.size() - kWinHelpExtensionLength] == '.') {
    // Names compare in lower case, but the file system here is case-sensitive:
    // the contents file is looked for beside the file as it is named.
    const std::string contents = std::string(helpFile.substr(0, helpFile.size() - kWinHelpContentsExtension.size())) +
                                 std::string(kWinHelpContentsExtension);
    if (fileExists(contents)) return HelpViewer::WinHelpFinder;
  }
  return HelpViewer::WinHelpContents;
}

}  // namespace tusko
