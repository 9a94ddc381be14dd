#include "base/SafeFormat.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <optional>

namespace tusko {
namespace {

enum class Length { None, Char, Short, Long, LongLong, IntMax, Size, PtrDiff, LongDouble };

enum class Kind { SignedInteger, UnsignedInteger, Character, Floating, Text, Percent, Count };

struct Conversion {
  std::string flags;
  std::optional<std::size_t> width;
  std::optional<std::size_t> precision;
  Length length = Length::None;
  char letter = 0;
  Kind kind = Kind::Percent;
};

constexpr std::string_view kFlags = "-+ #0";
constexpr int kBitsPerByte = CHAR_BIT;
constexpr std::size_t kBytesPerCharacterMax = 4;

std::optional<Kind> KindOf(char letter) {
  switch (letter) {
    case 'd': case 'i': return Kind::SignedInteger;
    case 'u': case 'o': case 'x': case 'X': return Kind::UnsignedInteger;
    case 'c': return Kind::Character;
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A': return Kind::Floating;
    case 's': return Kind::Text;
    case '%': return Kind::Percent;
    case 'n': return Kind::Count;
    default: return std::nullopt;
  }
}

bool LengthFits(Kind kind, Length length) {
  switch (kind) {
    case Kind::SignedInteger:
    case Kind::UnsignedInteger: return length != Length::LongDouble;
    case Kind::Character:
    case Kind::Text: return length == Length::None || length == Length::Long;
    case Kind::Floating: return length == Length::None || length == Length::Long || length == Length::LongDouble;
    case Kind::Percent:
    case Kind::Count: return true;
  }
  return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t ReadNumber(std::string_view format, std::size_t& pos) {
  std::size_t value = 0;
  while (pos < format.size() && IsDigit(format[pos])) {
    value = std::min(kMaxFieldWidth, value * 10 + static_cast<std::size_t>(format[pos] - '0'));
    ++pos;
  }
  return value;
}

Length ReadLength(std::string_view format, std::size_t& pos) {
  const auto next = [&](char c) { return pos < format.size() && format[pos] == c; };
  if (next('h')) {
    ++pos;
    if (next('h')) { ++pos; return Length::Char; }
    return Length::Short;
  }
  if (next('l')) {
    ++pos;
    if (next('l')) { ++pos; return Length::LongLong; }
    return Length::Long;
  }
  if (next('j')) { ++pos; return Length::IntMax; }
  if (next('z')) { ++pos; return Length::Size; }
  if (next('t')) { ++pos; return Length::PtrDiff; }
  if (next('L')) { ++pos; return Length::LongDouble; }
  return Length::None;
}

// Reads the conversion that starts at the '%' at `pos` and moves `pos` behind it;
// for one that cannot be parsed, behind the character where parsing stopped.
std::optional<Conversion> ReadConversion(std::string_view format, std::size_t& pos) {
  Conversion conversion;
  ++pos;
  while (pos < format.size() && kFlags.find(format[pos]) != std::string_view::npos) {
    if (conversion.flags.find(format[pos]) == std::string::npos) conversion.flags += format[pos];
    ++pos;
  }
  if (pos < format.size() && IsDigit(format[pos])) conversion.width = ReadNumber(format, pos);
  if (pos < format.size() && format[pos] == '.') {
    ++pos;
    conversion.precision = ReadNumber(format, pos);
  }
  conversion.length = ReadLength(format, pos);
  if (pos >= format.size()) return std::nullopt;
  conversion.letter = format[pos++];
  const auto kind = KindOf(conversion.letter);
  if (!kind || !LengthFits(*kind, conversion.length)) return std::nullopt;
  conversion.kind = *kind;
  return conversion;
}

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t length = 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (pos + length > text.size()) return 1;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(text[pos + i]) & 0xC0) != 0x80) return 1;
  }
  return length;
}

void Pad(std::string& out, std::string_view body, const Conversion& conversion) {
  const std::size_t characters = CountCharacters(body);
  const std::size_t fill = conversion.width.value_or(0) > characters ? *conversion.width - characters : 0;
  const bool left = conversion.flags.find('-') != std::string::npos;
  if (!left) out.append(fill, ' ');
  out += body;
  if (left) out.append(fill, ' ');
}

std::string CDirective(const Conversion& conversion, std::string_view lengthText, bool keepAlternateForm) {
  std::string directive = "%";
  for (const char flag : conversion.flags) {
    if (flag != '#' || keepAlternateForm) directive += flag;
  }
  if (conversion.width) directive += std::to_string(*conversion.width);
  if (conversion.precision) directive += "." + std::to_string(*conversion.precision);
  directive += lengthText;
  directive += conversion.letter;
  return directive;
}

template <typename T>
void AppendPrintf(std::string& out, const std::string& directive, T value) {
  const int size = std::snprintf(nullptr, 0, directive.c_str(), value);
  if (size <= 0) return;
  std::string buffer(static_cast<std::size_t>(size) + 1, '\0');
  std::snprintf(buffer.data(), buffer.size(), directive.c_str(), value);
  buffer.resize(static_cast<std::size_t>(size));
  out += buffer;
}

std::size_t LengthBytes(Length length) {
  switch (length) {
    case Length::Char: return sizeof(char);
    case Length::Short: return sizeof(short);
    case Length::Long: return sizeof(long);
    case Length::LongLong: return sizeof(long long);
    case Length::IntMax: return sizeof(std::intmax_t);
    case Length::Size: return sizeof(std::size_t);
    case Length::PtrDiff: return sizeof(std::ptrdiff_t);
    case Length::None:
    case Length::LongDouble: break;
  }
  return sizeof(int);
}

// The argument as C would see it after passing it with the conversion's length.
std::uint64_t CutToLength(std::uint64_t bits, Length length, bool signExtend) {
  const std::size_t width = LengthBytes(length) * kBitsPerByte;
  if (width >= 64) return bits;
  const std::uint64_t mask = (std::uint64_t{1} << width) - 1;
  bits &= mask;
  if (signExtend && (bits >> (width - 1)) != 0) bits |= ~mask;
  return bits;
}

std::optional<std::uint64_t> IntegerBits(const FormatArg& arg) {
  if (const auto* value = std::get_if<std::int64_t>(&arg.value())) return static_cast<std::uint64_t>(*value);
  if (const auto* value = std::get_if<std::uint64_t>(&arg.value())) return *value;
  return std::nullopt;
}

// Appends the formatted argument; false when the argument does not fit the conversion.
bool AppendArgument(std::string& out, const Conversion& conversion, const FormatArg& arg) {
  switch (conversion.kind) {
    case Kind::SignedInteger: {
      const auto bits = IntegerBits(arg);
      if (!bits) return false;
      AppendPrintf(out, CDirective(conversion, "ll", false),
                   static_cast<long long>(CutToLength(*bits, conversion.length, true)));
      return true;
    }
    case Kind::UnsignedInteger: {
      const auto bits = IntegerBits(arg);
      if (!bits) return false;
      AppendPrintf(out, CDirective(conversion, "ll", conversion.letter != 'u'),
                   static_cast<unsigned long long>(CutToLength(*bits, conversion.length, false)));
      return true;
    }
    case Kind::Character: {
      const auto bits = IntegerBits(arg);
      if (!bits) return false;
      const char character = static_cast<char>(static_cast<unsigned char>(*bits));
      Pad(out, character == '\0' ? std::string_view{} : std::string_view(&character, 1), conversion);
      return true;
    }
    case Kind::Floating: {
      const auto* value = std::get_if<double>(&arg.value());
      if (value == nullptr) return false;
      AppendPrintf(out, CDirective(conversion, "", true), *value);
      return true;
    }
    case Kind::Text: {
      const auto* value = std::get_if<std::string_view>(&arg.value());
      if (value == nullptr) return false;
      Pad(out, conversion.precision ? CutToCharacters(*value, *conversion.precision) : *value, conversion);
      return true;
    }
    case Kind::Percent:
    case Kind::Count: break;
  }
  return false;
}

std::size_t ByteBudget(std::size_t maxCharacters) {
  const std::size_t slack = kBytesPerCharacterMax;
  return maxCharacters > (SIZE_MAX - slack) / kBytesPerCharacterMax ? SIZE_MAX
                                                                     : maxCharacters * kBytesPerCharacterMax + slack;
}

}  // namespace

std::size_t CountCharacters(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += Utf8SequenceLength(text, pos)) ++count;
  return count;
}

std::string_view CutToCharacters(std::string_view text, std::size_t maxCharacters) {
  std::size_t pos = 0;
  for (std::size_t count = 0; pos < text.size() && count < maxCharacters; ++count) pos += Utf8SequenceLength(text, pos);
  return text.substr(0, pos);
}

std::string SafeFormat(std::string_view format, std::span<const FormatArg> args, std::size_t maxCharacters) {
  const std::size_t byteBudget = ByteBudget(maxCharacters);
  std::string out;
  std::size_t nextArg = 0;
  std::size_t pos = 0;
  while (pos < format.size() && out.size() <= byteBudget) {
    const auto percent = format.find('%', pos);
    if (percent != pos) {
      out += format.substr(pos, percent == std::string_view::npos ? std::string_view::npos : percent - pos);
      if (percent == std::string_view::npos) break;
      pos = percent;
      continue;
    }
    const std::size_t start = pos;
    const auto conversion = ReadConversion(format, pos);
    const std::string_view asWritten = format.substr(start, pos - start);
    if (!conversion) {
      out += asWritten;
    } else if (conversion->kind == Kind::Percent) {
      out += '%';
    } else if (conversion->kind != Kind::Count) {
      const bool printed = nextArg < args.size() && AppendArgument(out, *conversion, args[nextArg]);
      if (nextArg < args.size()) ++nextArg;
      if (!printed) out += asWritten;
    }
  }
  return std::string(CutToCharacters(out, maxCharacters));
}

std::string SafeFormat(std::string_view format, std::initializer_list<FormatArg> args, std::size_t maxCharacters) {
  return SafeFormat(format, std::span<const FormatArg>(args.begin(), args.size()), maxCharacters);
}

std::string FormatSignature(std::string_view format) {
  std::string signature;
  for (std::size_t pos = format.find('%'); pos < format.size(); pos = format.find('%', pos)) {
    const auto conversion = ReadConversion(format, pos);
    if (!conversion || conversion->kind == Kind::Count) {
      signature += '!';
      continue;
    }
    switch (conversion->kind) {
      case Kind::SignedInteger:
      case Kind::UnsignedInteger:
      case Kind::Character: signature += 'd'; break;
      case Kind::Floating: signature += 'f'; break;
      case Kind::Text: signature += 's'; break;
      case Kind::Percent:
      case Kind::Count: break;
    }
  }
  return signature;
}

}  // namespace tusko
