#pragma once

// Readers of the composite information elements the gateway sends. Every
// reader looks only at the element's data span, whatever its bytes claim, so a
// short or malformed element yields partial or empty results, never a read
// past its end.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/DeviceMessage.h"

namespace tusko {

// RunMode: byte 0 is the mode, byte 1 = kDataVersionMarker announces the data
// version in bytes 3-6 (little-endian).
inline constexpr std::uint8_t kRunModeLoader = 1;
inline constexpr std::uint8_t kRunModeFirmware = 2;
inline constexpr std::uint8_t kDataVersionMarker = 0x7D;

struct RunModeInfo {
  std::uint8_t mode = 0;
  std::uint32_t dataVersion = 0;  // 0 when the element carries none
};
RunModeInfo ReadRunMode(const ElementView& element);

// LanInfo: DHCP flag, addresses as four groups of three ASCII digits, TCP port
// as up to five ASCII digits. Fields are read only when the element is long
// enough to hold the whole group they belong to.
inline constexpr std::uint8_t kDhcpOff = 0;
inline constexpr std::uint8_t kDhcpOn = 1;

struct LanInfoData {
  std::optional<std::uint8_t> dhcp;
  std::string ipAddress, subnetMask, defaultGateway;  // "%d.%d.%d.%d"; empty when absent or invalid
  std::optional<std::uint16_t> tcpPort;
};
LanInfoData ReadLanInfo(const ElementView& element);

// GsmStatus: one entry per module.
inline constexpr std::size_t kGsmModuleCount = 2;
inline constexpr std::size_t kGsmStatusTextCapacity = 40;
inline constexpr std::uint8_t kGsmSignalNone = 99;

struct GsmStatusEntry {
  std::uint8_t index;
  std::uint16_t status;
  std::uint8_t signal;  // GSM scale 0-31, kGsmSignalNone for no signal
  std::string text;
};
std::vector<GsmStatusEntry> ReadGsmStatus(const ElementView& element);

// IsdnCredit and GsmCredit: six counters per ISDN line or GSM module.
inline constexpr std::size_t kCreditCounterCount = 6;

struct CreditEntry {
  std::uint8_t index;
  std::array<std::uint32_t, kCreditCounterCount> counters;
};
std::vector<CreditEntry> ReadCredit(const ElementView& element);

// ModuleCells: per cell the first four fields as fixed groups of 3, 2, 4 and 4
// characters (a field's first characters), no terminators. A field shorter
// than its group is zero-filled: the rest of the group stays NUL bytes, as do
// cells the gateway did not send.
inline constexpr std::size_t kCellCount = 7, kCellWidth = 13;
using CellTable = std::array<std::array<char, kCellWidth>, kCellCount>;
CellTable ReadModuleCells(const ElementView& element);

// DateTime: second, minute, hour, day, month, year - 2000.
inline constexpr std::uint16_t kYearBase = 2000;
inline constexpr std::size_t kDateTimeSize = 6;

struct DateTimeFields {
  std::uint8_t second, minute, hour, day, month;
  std::uint16_t year;
};
std::optional<DateTimeFields> ReadDateTime(const ElementView& element);
// The data of a DateTime set request; a year outside 2000-2255 is clamped to that range.
std::array<std::uint8_t, kDateTimeSize> EncodeDateTime(const DateTimeFields& fields);

// LastTimeSync: two date numbers, then year - 2000 with 0 meaning no sync yet.
struct LastTimeSyncInfo {
  bool present = false;  // the element carried at least one byte
  std::uint8_t first = 0, second = 0;
  std::uint16_t year = 0;  // 0 when the gateway has not synchronised its clock
};
LastTimeSyncInfo ReadLastTimeSync(const ElementView& element);

}  // namespace tusko
