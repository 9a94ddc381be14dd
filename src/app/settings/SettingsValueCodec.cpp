#include "app/settings/SettingsValueCodec.h"

#include <charconv>
#include <limits>

namespace tusko {
namespace {

constexpr char kQuote = '"';
constexpr char kEscape = '\\';
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr std::size_t kHexEscapeDigits = 2;
constexpr char kHexDigits[] = "0123456789ABCDEF";
// The magnitude of the most negative 32-bit number.
constexpr std::uint64_t kMaxNegativeMagnitude = std::uint64_t{1} << 31;

std::optional<std::uint64_t> ParseDigits(std::string_view digits) {
  std::uint64_t value = 0;
  const auto* end = digits.data() + digits.size();
  const auto [stop, error] = std::from_chars(digits.data(), end, value);
  if (digits.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<unsigned> HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

// The character that an escape starting at text[at] (the backslash) stands
// for, and how many characters the escape spans.
std::optional<std::pair<char, std::size_t>> Unescape(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size()) return std::nullopt;
  switch (text[at + 1]) {
    case '\\': return std::pair{'\\', std::size_t{2}};
    case '"': return std::pair{'"', std::size_t{2}};
    case 'n': return std::pair{'\n', std::size_t{2}};
    case 'r': return std::pair{'\r', std::size_t{2}};
    case 't': return std::pair{'\t', std::size_t{2}};
    case 'x': {
      if (at + 2 + kHexEscapeDigits > text.size()) return std::nullopt;
      const auto high = HexDigit(text[at + 2]);
      const auto low = HexDigit(text[at + 3]);
      if (!high || !low) return std::nullopt;
      return std::pair{static_cast<char>(*high << 4 | *low), 2 + kHexEscapeDigits};
    }
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<std::uint32_t> DecodeSettingsNumber(std::string_view raw) {
  const bool negative = !raw.empty() && raw.front() == '-';
  const auto magnitude = ParseDigits(negative ? raw.substr(1) : raw);
  if (!magnitude) return std::nullopt;
  if (negative) {
    if (*magnitude > kMaxNegativeMagnitude) return std::nullopt;
    return static_cast<std::uint32_t>(0 - *magnitude);
  }
  if (*magnitude > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  return static_cast<std::uint32_t>(*magnitude);
}

std::string EncodeSettingsNumber(std::uint32_t value) { return std::to_string(value); }

std::string EncodeSettingsText(std::string_view text) {
  std::string raw(1, kQuote);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': raw += "\\\\"; break;
      case '\n': raw += "\\n"; break;
      case '\r': raw += "\\r"; break;
      case '\t': raw += "\\t"; break;
      default:
        if (byte < kFirstPrintable || byte == kDelete) {
          raw += "\\x";
          raw += kHexDigits[byte >> 4];
          raw += kHexDigits[byte & 0x0F];
        } else {
          raw += c;
        }
    }
  }
  raw += kQuote;
  return raw;
}

std::string DecodeSettingsText(std::string_view raw) {
  if (raw.size() >= 2 && raw.front() == kQuote && raw.back() == kQuote) raw = raw.substr(1, raw.size() - 2);
  std::string text;
  text.reserve(raw.size());
  for (std::size_t at = 0; at < raw.size();) {
    const auto escape = raw[at] == kEscape ? Unescape(raw, at) : std::nullopt;
    if (escape) {
      text += escape->first;
      at += escape->second;
    } else {
      text += raw[at++];
    }
  }
  return text;
}

}  // namespace tusko
