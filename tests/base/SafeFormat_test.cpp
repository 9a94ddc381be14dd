#include "base/SafeFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tusko {
namespace {

constexpr std::size_t kRoomy = 1000;

struct FormatCase {
  const char* name;
  const char* format;
  std::vector<FormatArg> args;
  const char* expected;
};

const FormatCase kRows[] = {
    // like printf
    {"no_conversion", "plain text", {}, "plain text"},
    {"two_strings", "Port %s: %s", {"COM1", "busy"}, "Port COM1: busy"},
    {"zero_padded", "%02d/%02d/%04d", {7, 3, 2024}, "07/03/2024"},
    {"hex_alternate", "%#08x", {0x1234u}, "0x001234"},
    {"upper_hex_byte", "%02X", {0xABu}, "AB"},
    {"octal", "%o", {8}, "10"},
    {"signs", "%+d % d", {5, 5}, "+5  5"},
    {"left_justified", "[%-5d][%5s][%-5s]", {42, "ab", "cd"}, "[42   ][   ab][cd   ]"},
    {"precision_of_text", "%.3s", {"abcdef"}, "abc"},
    {"character_nul_prints_nothing", "[%c]", {0}, "[]"},
    {"floating", "%.2f %e %g", {3.14159, 1000.0, 0.5}, "3.14 1.000000e+03 0.5"},
    {"percent", "100%%", {}, "100%"},
    {"int_cut_to_int", "%d", {std::int64_t{0x100000001}}, "1"},
    {"unsigned_of_negative", "%u", {-1}, "4294967295"},
    {"short", "%hd %hu", {70000, -1}, "4464 65535"},
    {"char_length", "%hhd", {300}, "44"},
    {"long_long", "%lld", {std::int64_t{-5000000000}}, "-5000000000"},
    {"large_unsigned_as_d", "%lld", {std::uint64_t{18446744073709551615u}}, "-1"},
    {"wide_text_modifier_ignored", "%ls", {"x"}, "x"},
    {"extra_arguments_ignored", "%d", {1, 2, "three"}, "1"},
    {"utf8_text_argument", "%s!", {"Größe"}, "Größe!"},
    {"width_counts_characters", "[%6s]", {"Über"}, "[  Über]"},
    {"precision_counts_characters", "%.2s", {"ÄÖÜ"}, "ÄÖ"},
    // hostile formats
    {"text_given_a_number", "Port %s", {5}, "Port %s"},
    {"number_given_a_text", "Code %d", {"x"}, "Code %d"},
    {"floating_given_a_number", "%f", {1}, "%f"},
    {"mismatch_uses_up_its_argument", "%d %s", {"a", "b"}, "%d b"},
    {"more_conversions_than_arguments", "%s %s %s", {"one"}, "one %s %s"},
    {"no_arguments", "%s%d%x%c%f", {}, "%s%d%x%c%f"},
    {"count_prints_nothing", "a%nb%s", {"c"}, "abc"},
    {"count_with_modifier", "a%hhnb", {}, "ab"},
    {"pointer_not_supported", "%p", {1}, "%p"},
    {"star_width_not_supported", "%*d", {5, 1}, "%*d"},
    {"positional_not_supported", "%1$s", {"a"}, "%1$s"},
    {"unknown_letter", "%y%s", {"a"}, "%ya"},
    {"long_double_integer", "%Ld", {1}, "%Ld"},
    {"trailing_percent", "50%", {}, "50%"},
    {"trailing_flags", "x%-08.", {}, "x%-08."},
    {"percent_then_multibyte", "%ü", {}, "%ü"},
    {"percent_with_flags", "%5%", {}, "%"}};

TEST(SafeFormat, FormatsLikePrintfAndPrintsHostileConversionsAsWritten) {
  for (const auto& row : kRows) EXPECT_EQ(SafeFormat(row.format, row.args, kRoomy), row.expected) << row.name;
}

TEST(SafeFormat, HugeWidthIsCappedInsteadOfAllocated) {
  const std::string result = SafeFormat("%999999999d|%.999999999f", {1, 1.0}, SIZE_MAX);
  EXPECT_EQ(result.size(), 2 * kMaxFieldWidth + 1 + 2);  // "1." before the precision's digits
  EXPECT_EQ(result.substr(kMaxFieldWidth - 1, 2), "1|");
}

TEST(SafeFormat, CutsTheResultToTheLimitNeverInsideACharacter) {
  EXPECT_EQ(SafeFormat("%s-%s", {"abc", "def"}, 5), "abc-d");
  EXPECT_EQ(SafeFormat("abc", {}, 0), "");
  EXPECT_EQ(SafeFormat(std::string(600, 'x'), {}, 519).size(), 519u);
  EXPECT_EQ(SafeFormat("%s", {"ÄÄÄ"}, 2), "ÄÄ");
  // Thousands of wide conversions must not build megabytes only to cut them.
  std::string format;
  for (int i = 0; i < 2000; ++i) format += "%4000d";
  EXPECT_EQ(SafeFormat(format, std::vector<FormatArg>(2000, FormatArg(1)), 10), std::string(10, ' '));
}

TEST(CountCharacters, CountsStrayBytesAsCharacters) {
  EXPECT_EQ(CountCharacters("abc"), 3u);
  EXPECT_EQ(CountCharacters("Größe"), 5u);
  EXPECT_EQ(CountCharacters("\xC3"), 1u);          // a lead byte at the end
  EXPECT_EQ(CountCharacters("\xC3x"), 2u);         // a lead byte without continuation
  EXPECT_EQ(CountCharacters("\x80\x80"), 2u);      // lone continuation bytes
  EXPECT_EQ(CountCharacters("\xF0\x9F\x98\x80"), 1u);
  EXPECT_EQ(CutToCharacters("\xF0\x9F\x98\x80z", 1), "\xF0\x9F\x98\x80");
}

TEST(FormatSignature, NamesTheArgumentTypes) {
  const struct { const char* format; const char* expected; } rows[] = {
      {"plain", ""},    {"100%%", ""},     {"%s %s", "ss"}, {"%d %u %02X %c %ld", "ddddd"}, {"%.1f %g", "ff"},
      {"%s:%d", "sd"},  {"%n", "!"},       {"%y", "!"},     {"50%", "!"} /* trailing */,     {"%*d", "!"}};
  for (const auto& row : rows) EXPECT_EQ(FormatSignature(row.format), row.expected) << row.format;
}

}  // namespace
}  // namespace tusko
