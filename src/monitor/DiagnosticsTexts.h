#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "base/TextLookup.h"
#include "protocol/engine/DiagnosticsData.h"

namespace tusko {

// The three indicators of one ISDN line's status word.
struct IsdnLineIndicators {
  bool lossOfSignal = false;
  bool layer2Active = false;
  bool synchronised = false;
  bool operator==(const IsdnLineIndicators&) const = default;
};

// A status word with bit 15 set carries no line state: every indicator clear.
IsdnLineIndicators DecodeIsdnLine(std::uint16_t statusWord);

// Little-endian 16- and 32-bit values of the diagnostics stores.
std::uint16_t StoredWord(std::span<const std::uint8_t> bytes, std::size_t offset);
std::uint32_t StoredCounter(std::span<const std::uint8_t> bytes, std::size_t offset);

// One credit pair in seconds as "m:ss / m:ss", or "0 / 0" when both are 0.
std::string CreditPairText(std::uint32_t first, std::uint32_t second);

// The colour behind a GSM module's status text.
enum class StatusColour { WindowFace, Red, Green, Yellow, Blue, Magenta, DarkGreen };

struct GsmStatusText {
  std::string text;
  StatusColour colour = StatusColour::WindowFace;
};

// A GSM module's status in the language's words. Bit 12 of the code is
// ignored; the module's own information text follows the named states.
GsmStatusText DescribeGsmStatus(std::uint16_t code, std::string_view information, const TextLookup& text);

// A GSM received-signal-strength index in the language's words or in dBm.
std::string GsmSignalText(std::uint8_t quality, const TextLookup& text);
// The level an index stands for, in dBm (its two ends as -113 and -51);
// nothing for "no signal" and values off the scale.
std::optional<int> GsmSignalDbm(std::uint8_t quality);

// One module's record of the GSM status store.
struct GsmModuleStatus {
  std::uint16_t code = 0;
  std::uint8_t signal = kGsmSignalUnknown;
  std::string information;  // UTF-8, from the gateway's Latin-1
};
GsmModuleStatus ReadGsmModuleStatus(const DiagnosticsData& data, std::size_t module);

}  // namespace tusko
