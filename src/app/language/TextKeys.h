#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The rules by which windows, menus, buttons and the help viewer use language keys.
// The desktop front end applies them while it walks its widgets; they live here so
// that they hold the same way everywhere and can be checked without a display.
namespace tusko {

// Command IDs of the toolbar buttons that have tooltips.
inline constexpr int kCommandFileNew = 57600;
inline constexpr int kCommandFileOpen = 57601;
inline constexpr int kCommandFileSave = 57603;
inline constexpr int kCommandDownload = 32780;
inline constexpr int kCommandUpload = 32781;
inline constexpr int kCommandAbout = 57664;

// Standard button IDs of message boxes and dialogs.
inline constexpr int kButtonOk = 1;
inline constexpr int kButtonCancel = 2;
inline constexpr int kButtonYes = 6;
inline constexpr int kButtonNo = 7;

// Controls whose texts are set by their dialogs at run time and are never translated.
inline constexpr int kFirstUntranslatedControl = 1361;
inline constexpr int kLastUntranslatedControl = 1365;
// A control that keeps its remembered key when its window forgets the keys.
inline constexpr int kControlKeepingKey = 1369;

std::string AsciiLower(std::string_view text);
std::string AsciiUpper(std::string_view text);

// A window caption is a key only when "str" is followed by an upper-case letter.
bool IsWindowCaptionKey(std::string_view text);
// A child control's text is a key whenever it begins with "str".
bool IsControlTextKey(std::string_view text);
bool IsUntranslatedControl(int controlId);
// Whether ForgetKeys frees the key kept by this control.
bool ForgetsControlKey(int controlId);

// The two characters backslash and 'n' become a blank and a line feed.
std::string ReplaceLineBreaks(std::string_view text);
// In a popup menu the first backslash separates the item text from its shortcut text.
std::string PopupMenuItemText(std::string_view menuText);

std::optional<std::string_view> TooltipKey(int commandId);
// Empty for any button that has no standard text.
std::string_view ButtonTextKey(int buttonId);

enum class HelpViewer {
  None,             // no help file for the language
  HtmlPage,         // an HTML page, shown in a browser
  CompiledHtml,     // a compiled HTML help file (".chm" anywhere in the name)
  WinHelpFinder,    // a WinHelp file with a contents file (".cnt") beside it
  WinHelpContents,  // a WinHelp file without one
};

// Chooses how the help file of a language is opened; names compare in lower case.
// `fileExists` answers whether the ".cnt" contents file of a WinHelp file exists.
HelpViewer ChooseHelpViewer(std::string_view helpFile, const std::function<bool(const std::string&)>& fileExists);

}  // namespace tusko
