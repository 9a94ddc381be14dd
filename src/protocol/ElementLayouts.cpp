#include "protocol/ElementLayouts.h"

#include <algorithm>

namespace tusko {

namespace {

using Bytes = std::span<const std::uint8_t>;

// The `width` bytes at `offset`, or nothing when they do not all lie inside `data`.
std::optional<Bytes> FieldAt(Bytes data, std::size_t offset, std::size_t width) {
  if (offset > data.size() || width > data.size() - offset) return std::nullopt;
  return data.subspan(offset, width);
}

std::uint16_t LittleEndian16(Bytes bytes) {
  return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t LittleEndian32(Bytes bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

bool IsDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// RunMode
constexpr std::size_t kRunModeMarkerOffset = 1;
constexpr std::size_t kDataVersionOffset = 3;
constexpr std::size_t kDataVersionSize = 4;

// LanInfo
constexpr std::size_t kLanDhcpOffset = 0;
constexpr std::size_t kLanIpOffset = 1;
constexpr std::size_t kLanMaskOffset = 13;
constexpr std::size_t kLanPortOffset = 25;
constexpr std::size_t kLanGatewayOffset = 30;
constexpr std::size_t kAddressTextSize = 12;  // four groups of three digits
constexpr std::size_t kOctetDigits = 3;
constexpr unsigned kOctetMax = 255;
constexpr std::size_t kPortDigits = 5;
constexpr unsigned kPortMax = 65535;

// An address is usable only when every group is three digits naming an octet;
// anything else (letters, padding, 999) gives an empty text rather than a
// made-up address.
std::string AddressText(Bytes digits) {
  std::string text;
  for (std::size_t group = 0; group < kAddressTextSize; group += kOctetDigits) {
    unsigned octet = 0;
    for (std::uint8_t c : digits.subspan(group, kOctetDigits)) {
      if (!IsDigit(c)) return {};
      octet = octet * 10 + (c - '0');
    }
    if (octet > kOctetMax) return {};
    if (!text.empty()) text += '.';
    text += std::to_string(octet);
  }
  return text;
}

// The port is the leading digits of its field (the gateway pads shorter
// numbers); no digit at all, or a number above 65535, is no port.
std::optional<std::uint16_t> PortNumber(Bytes field) {
  unsigned port = 0;
  std::size_t digits = 0;
  while (digits < field.size() && IsDigit(field[digits])) {
    port = port * 10 + (field[digits] - '0');
    ++digits;
  }
  if (digits == 0 || port > kPortMax) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

// GsmStatus entry: index, status (LE16), signal, text length, text.
constexpr std::size_t kGsmEntryHeaderSize = 5;
constexpr std::size_t kGsmStatusOffset = 1;
constexpr std::size_t kGsmSignalOffset = 3;
constexpr std::size_t kGsmTextLengthOffset = 4;

// Credit sub-record: index, length, then for a line or module six LE32 counters.
constexpr std::size_t kCreditHeaderSize = 2;
constexpr std::size_t kCreditRecordSize = kCreditCounterCount * 4;

// ModuleCells: byte 0 is not part of the text.
constexpr std::size_t kCellsTextOffset = 1;
constexpr std::size_t kFieldsPerCell = 9;
constexpr std::array<std::size_t, 4> kCellGroupWidths{3, 2, 4, 4};
constexpr char kCellFieldSeparator = ',';

// LastTimeSync
constexpr std::size_t kLastSyncFirstOffset = 0;
constexpr std::size_t kLastSyncSecondOffset = 1;
constexpr std::size_t kLastSyncYearOffset = 2;
constexpr std::uint8_t kNoSyncYear = 0;

constexpr std::uint16_t kYearMax = kYearBase + 0xFF;

}  // namespace

RunModeInfo ReadRunMode(const ElementView& element) {
  RunModeInfo info;
  const Bytes data = element.data;
  if (data.empty()) return info;
  info.mode = data[0];
  const auto version = FieldAt(data, kDataVersionOffset, kDataVersionSize);
  if (version && data[kRunModeMarkerOffset] == kDataVersionMarker) info.dataVersion = LittleEndian32(*version);
  return info;
}

LanInfoData ReadLanInfo(const ElementView& element) {
  LanInfoData info;
  const Bytes data = element.data;
  // DHCP flag, address and mask come as one group ending where the port begins.
  if (FieldAt(data, 0, kLanPortOffset)) {
    info.dhcp = data[kLanDhcpOffset];
    info.ipAddress = AddressText(data.subspan(kLanIpOffset, kAddressTextSize));
    info.subnetMask = AddressText(data.subspan(kLanMaskOffset, kAddressTextSize));
  }
  if (const auto port = FieldAt(data, kLanPortOffset, kPortDigits)) info.tcpPort = PortNumber(*port);
  if (const auto gateway = FieldAt(data, kLanGatewayOffset, kAddressTextSize)) {
    info.defaultGateway = AddressText(*gateway);
  }
  return info;
}

std::vector<GsmStatusEntry> ReadGsmStatus(const ElementView& element) {
  std::vector<GsmStatusEntry> entries;
  const Bytes data = element.data;
  std::size_t at = 0;
  while (const auto header = FieldAt(data, at, kGsmEntryHeaderSize)) {
    const std::size_t textStart = at + kGsmEntryHeaderSize;
    const std::size_t claimed = (*header)[kGsmTextLengthOffset];
    // A text running past the data is kept as far as it came and ends the walk.
    const Bytes text = data.subspan(textStart, std::min(claimed, data.size() - textStart));
    const std::uint8_t index = (*header)[0];
    if (index < kGsmModuleCount) {
      entries.push_back({index, LittleEndian16(header->subspan(kGsmStatusOffset)), (*header)[kGsmSignalOffset],
                         ElementText(ElementView{element.id, text}, kGsmStatusTextCapacity)});
    }
    at = textStart + claimed;
  }
  return entries;
}

std::vector<CreditEntry> ReadCredit(const ElementView& element) {
  std::vector<CreditEntry> entries;
  const Bytes data = element.data;
  std::size_t at = 0;
  while (const auto header = FieldAt(data, at, kCreditHeaderSize)) {
    const std::uint8_t index = (*header)[0];
    const std::size_t length = (*header)[1];
    const std::size_t start = at + kCreditHeaderSize;
    if (length == kCreditRecordSize && index < kGsmModuleCount) {
      const auto record = FieldAt(data, start, kCreditRecordSize);
      if (!record) break;
      CreditEntry entry{index, {}};
      for (std::size_t i = 0; i < kCreditCounterCount; ++i) entry.counters[i] = LittleEndian32(record->subspan(i * 4));
      entries.push_back(entry);
    }
    at = start + length;
  }
  return entries;
}

CellTable ReadModuleCells(const ElementView& element) {
  CellTable cells{};
  if (element.data.size() <= kCellsTextOffset) return cells;
  std::size_t field = 0;   // running field number over all cells
  std::size_t column = 0;  // characters seen so far in the current field
  for (std::uint8_t c : element.data.subspan(kCellsTextOffset)) {
    if (c == 0) break;  // a NUL ends a received text
    if (c == kCellFieldSeparator) {
      ++field;
      column = 0;
      if (field == kFieldsPerCell * kCellCount) break;
      continue;
    }
    const std::size_t fieldInCell = field % kFieldsPerCell;
    if (fieldInCell < kCellGroupWidths.size() && column < kCellGroupWidths[fieldInCell]) {
      std::size_t groupStart = 0;
      for (std::size_t i = 0; i < fieldInCell; ++i) groupStart += kCellGroupWidths[i];
      cells[field / kFieldsPerCell][groupStart + column] = static_cast<char>(c);
    }
    ++column;
  }
  return cells;
}

std::optional<DateTimeFields> ReadDateTime(const ElementView& element) {
  const auto bytes = FieldAt(element.data, 0, kDateTimeSize);
  if (!bytes) return std::nullopt;
  const Bytes b = *bytes;
  return DateTimeFields{b[0], b[1], b[2], b[3], b[4], static_cast<std::uint16_t>(kYearBase + b[5])};
}

std::array<std::uint8_t, kDateTimeSize> EncodeDateTime(const DateTimeFields& fields) {
  const auto year = std::clamp(fields.year, kYearBase, kYearMax);
  return {fields.second, fields.minute, fields.hour, fields.day, fields.month,
          static_cast<std::uint8_t>(year - kYearBase)};
}

LastTimeSyncInfo ReadLastTimeSync(const ElementView& element) {
  LastTimeSyncInfo info;
  const Bytes data = element.data;
  info.present = !data.empty();
  if (data.size() > kLastSyncFirstOffset) info.first = data[kLastSyncFirstOffset];
  if (data.size() > kLastSyncSecondOffset) info.second = data[kLastSyncSecondOffset];
  if (data.size() > kLastSyncYearOffset && data[kLastSyncYearOffset] != kNoSyncYear) {
    info.year = static_cast<std::uint16_t>(kYearBase + data[kLastSyncYearOffset]);
  }
  return info;
}

}  // namespace tusko
