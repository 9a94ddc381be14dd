#include "app/session/LinkStatusText.h"

#include "app/language/LanguageManager.h"
#include "base/SafeFormat.h"

namespace tusko {

namespace {

// The status bar shows at most this many characters.
constexpr std::size_t kMaxStatusChars = 259;

std::string_view StateKey(LinkState state) {
  switch (state) {
    case LinkState::Open: return "strStatConnected";
    case LinkState::Connecting: return "strStatConnecting";
    case LinkState::Closed: break;
  }
  return "strStatDisconnected";
}

}  // namespace

std::string LinkStatusText(const ProgramSettings& settings, LinkState state, const LanguageManager& language) {
  if (settings.comMode == static_cast<std::uint32_t>(LinkType::Tcp)) {
    if (settings.tcpAddress.empty()) {
      return SafeFormat("TCP: %s", {language.GetString("strStatNoAddress")}, kMaxStatusChars);
    }
    return SafeFormat("TCP: %s - %s", {settings.tcpAddress, language.GetString(StateKey(state))}, kMaxStatusChars);
  }
  if (settings.virtualComPort.empty()) {
    return SafeFormat("USB: %s", {language.GetString("strStatNoPort")}, kMaxStatusChars);
  }
  // A serial port is either open or not: it never shows "connecting".
  const std::string_view key = state == LinkState::Open ? "strStatConnected" : "strStatDisconnected";
  return SafeFormat("USB: %s - %s", {settings.virtualComPort, language.GetString(key)}, kMaxStatusChars);
}

}  // namespace tusko
