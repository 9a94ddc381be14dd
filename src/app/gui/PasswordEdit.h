#pragma once

class QLineEdit;

namespace tusko::gui {

// The gateway takes passwords of up to this many characters.
inline constexpr int kMaxPasswordChars = 8;

// A password field: characters shown as "*", at most kMaxPasswordChars.
QLineEdit* NewPasswordEdit(const char* objectName);

}  // namespace tusko::gui
