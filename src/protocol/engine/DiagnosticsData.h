#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/DeviceMessage.h"
#include "protocol/ElementLayouts.h"
#include "protocol/engine/EngineTypes.h"

namespace tusko {

// The last diagnostics data from the gateway, kept in the byte layout the
// diagnostics view stores: the window copies each block as it is.
inline constexpr std::size_t kIsdnLineCount = 2;
inline constexpr std::size_t kIsdnStatusSize = 4;  // two 16-bit little-endian status words
inline constexpr std::size_t kCreditRecordSize = kCreditCounterCount * 4;  // six 32-bit little-endian counters
// GSM module status record: status code (16-bit little-endian), signal, then a
// NUL-terminated information text.
inline constexpr std::size_t kGsmStatusRecordSize = 44;
inline constexpr std::size_t kGsmStatusSignalOffset = 2;
inline constexpr std::size_t kGsmStatusTextOffset = 3;
inline constexpr std::uint8_t kGsmSignalUnknown = 0xFF;

struct DiagnosticsData {
  std::array<std::uint8_t, kIsdnStatusSize> isdnStatus{};
  std::array<std::uint8_t, kIsdnLineCount * kCreditRecordSize> isdnCredit{};
  std::array<std::uint8_t, kGsmModuleCount * kGsmStatusRecordSize> gsmStatus{};
  std::array<std::uint8_t, kGsmModuleCount * kCreditRecordSize> gsmCredit{};

  DiagnosticsData() { Clear(); }
  // Everything zero; the signal of both GSM modules unknown.
  void Clear();
};

// Stores the first diagnostics element of `message` (IsdnStatus, IsdnCredit,
// GsmStatus, GsmCredit, in that order) and returns the notification that
// announces it, or nothing when the message carries none.
std::optional<Notification> StoreDiagnostics(DiagnosticsData& data, const DeviceMessage& message);

}  // namespace tusko
