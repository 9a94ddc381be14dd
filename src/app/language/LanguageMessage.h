#pragma once

#include <string>

namespace tusko {

// Message-box styles as the callers name them; the desktop maps them onto its own boxes.
inline constexpr unsigned kStyleError = 0x10;            // error icon
inline constexpr unsigned kStyleQuestionIcon = 0x20;
inline constexpr unsigned kStyleWarning = 0x30;          // exclamation icon
inline constexpr unsigned kStyleInformation = 0x40;
inline constexpr unsigned kStyleYesNoCancel = 0x03;
inline constexpr unsigned kStyleYesNo = 0x04;
inline constexpr unsigned kStyleDefaultSecondButton = 0x100;
inline constexpr unsigned kStyleSetForeground = 0x10000;  // every language box comes to the front
inline constexpr unsigned kStyleQuestion = kStyleYesNo | kStyleQuestionIcon;
inline constexpr unsigned kStyleWarningQuestion = kStyleYesNo | kStyleWarning;
inline constexpr unsigned kStyleSaveQuestion = kStyleYesNoCancel | kStyleQuestionIcon;

// Message-box results.
inline constexpr int kResultNoBox = 0;  // the language manager is disabled: no box was shown
inline constexpr int kResultOk = 1;
inline constexpr int kResultCancel = 2;
inline constexpr int kResultYes = 6;
inline constexpr int kResultNo = 7;

// A message box ready to show: texts looked up and cut, style completed.
struct LanguageMessage {
  std::string text;
  std::string caption;
  unsigned style = 0;
};

}  // namespace tusko
