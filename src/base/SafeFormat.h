#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace tusko {

// One argument of a printf-style format, with its type kept so that a format
// taken from a file can be checked against it.
class FormatArg {
 public:
  using Value = std::variant<std::int64_t, std::uint64_t, double, std::string_view>;

  template <std::signed_integral T>
  FormatArg(T value) : value_(static_cast<std::int64_t>(value)) {}  // NOLINT: implicit by design
  template <std::unsigned_integral T>
  FormatArg(T value) : value_(static_cast<std::uint64_t>(value)) {}  // NOLINT
  FormatArg(double value) : value_(value) {}                         // NOLINT
  FormatArg(std::string_view value) : value_(value) {}               // NOLINT
  FormatArg(const std::string& value) : value_(std::string_view(value)) {}  // NOLINT
  FormatArg(const char* value) : value_(std::string_view(value != nullptr ? value : "(null)")) {}  // NOLINT

  const Value& value() const { return value_; }

 private:
  Value value_;
};

// Formats like printf, but a format that does not fit its arguments yields
// harmless text instead of reading memory it was not given:
//   - Conversions: d i u o x X c s f F e E g G a A and %%; flags - + blank # 0;
//     width and precision as digits (above kMaxFieldWidth they count as that);
//     length modifiers hh h l ll j z t for integers, l L for floating point
//     (computed as double), l for s and c (ignored: all texts are UTF-8).
//   - Each conversion takes the next argument. Integer conversions take signed
//     or unsigned integers, cut to the size the length modifier names as C does;
//     floating-point conversions take doubles; %s takes texts. An argument of
//     another type, or a missing one, prints the conversion as written (so "%s"
//     given a number shows "%s"); the mismatched argument is still used up.
//   - %n prints nothing and takes no argument. A conversion that cannot be
//     parsed (an unknown letter, '*', '$', %p, a misplaced modifier, a '%' at
//     the end) prints as written and takes no argument.
//   - Width and precision of %s and %c count characters, and %c of 0 prints nothing.
//   - The result is cut to `maxCharacters` UTF-8 characters, never inside one.
std::string SafeFormat(std::string_view format, std::span<const FormatArg> args, std::size_t maxCharacters);
std::string SafeFormat(std::string_view format, std::initializer_list<FormatArg> args, std::size_t maxCharacters);

// The argument types a format asks for, in order, one letter each: 'd' integer,
// 'f' floating point, 's' text, and '!' for %n or a conversion that prints as
// written. Used to check language texts against the arguments their callers pass.
std::string FormatSignature(std::string_view format);

inline constexpr std::size_t kMaxFieldWidth = 4096;

// UTF-8 helpers: a stray byte that starts no valid sequence counts as one character.
std::size_t CountCharacters(std::string_view text);
std::string_view CutToCharacters(std::string_view text, std::size_t maxCharacters);

}  // namespace tusko
