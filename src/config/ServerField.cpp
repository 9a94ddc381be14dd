#include "config/ServerField.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

#include "config/DecimalText.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

constexpr char kHostNameMark = 'S';
constexpr char kHostPortMark = ':';
constexpr char kNumericMark = 'N';
constexpr char kNumericPortMark = 'P';
constexpr std::size_t kNumericPortMarkIndex = 13;
constexpr std::size_t kGroupCount = 4;
constexpr std::uint32_t kOctetMax = 255;
constexpr std::uint32_t kGroupDigitsMax = 999;
constexpr std::uint32_t kPortTextMax = 0xFFFFFFFF;
constexpr std::string_view kPieceSeparators = ". ";
constexpr std::size_t kFormattedMax = 64;  // "N" + 12 digits + "P" + 5 digits, with room

using Groups = std::array<std::uint32_t, kGroupCount>;

// The field's text: up to its width, ended by a 0 byte or a 255.
std::string FieldText(const ConfigurationImage& image, layout::ServerFieldAt field) {
  std::string text = image.Text(field.offset, layout::kServerFieldWidth);
  text.resize(std::min(text.size(), text.find_first_of(std::string_view("\0\xFF", 2))));
  return text;
}

std::optional<Groups> NumericGroups(std::string_view text) {
  Groups groups{};
  std::size_t count = 0;
  // Runs of separators count as one, as the pieces were always cut.
  for (std::size_t start = text.find_first_not_of(kPieceSeparators); start != std::string_view::npos;
       start = text.find_first_not_of(kPieceSeparators, start)) {
    const std::size_t end = std::min(text.find_first_of(kPieceSeparators, start), text.size());
    const std::string_view piece = text.substr(start, end - start);
    start = end;
    if (count == kGroupCount) return std::nullopt;
    const std::uint32_t value = ReadLeadingNumber(piece, kOctetMax + 1).value;
    if (value > kOctetMax) return std::nullopt;
    if (value == 0 && piece.find_first_not_of('0') != std::string_view::npos) return std::nullopt;
    groups[count++] = value;
  }
  if (count != kGroupCount) return std::nullopt;
  return groups;
}

std::string NumericText(const Groups& groups, std::uint16_t port) {
  std::array<char, kFormattedMax> text{};
  const int length = std::snprintf(text.data(), text.size(), "%c%03u%03u%03u%03u%c%u", kNumericMark, groups[0],
                                   groups[1], groups[2], groups[3], kNumericPortMark, unsigned{port});
  return std::string(text.data(), static_cast<std::size_t>(length));
}

std::string HostNameText(std::string_view address, std::uint16_t port) {
  std::string text(1, kHostNameMark);
  text.append(address);
  text.push_back(kHostPortMark);
  text.append(std::to_string(port));
  return text;
}

}  // namespace

ServerAddress ReadServerField(const ConfigurationImage& image, layout::ServerFieldAt field) {
  const std::string text = FieldText(image, field);
  const std::string_view view(text);
  ServerAddress server;
  if (view.starts_with(kHostNameMark)) {
    const std::size_t colon = view.find(kHostPortMark, 1);
    if (colon != std::string_view::npos) {
      server.kind = ServerKind::HostName;
      server.address = std::string(view.substr(1, colon - 1));
      server.port = ReadLeadingNumber(view.substr(colon + 1), kPortTextMax).value;
      return server;
    }
  }
  if (view.starts_with(kNumericMark) && view.size() > kNumericPortMarkIndex &&
      view[kNumericPortMarkIndex] == kNumericPortMark) {
    Groups groups{};
    for (std::size_t i = 0; i < kGroupCount; ++i) {
      groups[i] = ReadLeadingNumber(view.substr(1 + i * layout::kIpGroupDigits, layout::kIpGroupDigits), kGroupDigitsMax).value;
    }
    server.kind = ServerKind::Numeric;
    server.address = std::to_string(groups[0]) + '.' + std::to_string(groups[1]) + '.' + std::to_string(groups[2]) +
                     '.' + std::to_string(groups[3]);
    server.port = ReadLeadingNumber(view.substr(kNumericPortMarkIndex + 1), kPortTextMax).value;
  }
  return server;
}

ServerWriteResult WriteServerField(ConfigurationImage& image, layout::ServerFieldAt field, std::string_view address,
                                   std::uint16_t port, PortRule portRule) {
  image.SetByte(field.offset, 0);
  if (address.empty()) return ServerWriteResult::NoServer;
  if (port == 0 && portRule == PortRule::Required) return ServerWriteResult::PortMissing;
  const std::optional<Groups> groups = NumericGroups(address);
  const std::string text = groups ? NumericText(*groups, port) : HostNameText(address, port);
  // A 0 byte inside would cut the entry short; it could not be read back.
  if (text.size() > layout::kTerminatedTextMaxChars || text.find('\0') != std::string::npos) {
    return ServerWriteResult::DoesNotFit;
  }
  WriteTerminatedText(image, layout::TerminatedTextAt{field.offset}, text);
  return groups ? ServerWriteResult::Numeric : ServerWriteResult::HostName;
}

}  // namespace tusko
