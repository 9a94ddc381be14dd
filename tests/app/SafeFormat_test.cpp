#include "app/core/SafeFormat.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/LanguageTestRows.h"

namespace tusko {
namespace {

constexpr std::size_t kRoomy = 1000;

struct FormatCase {
  const char* name;
  const char* format;
  std::vector<FormatArg> args;
  const char* expected;
};

class SafeFormatRows : public testing::TestWithParam<FormatCase> {};

TEST_P(SafeFormatRows, Formats) {
  const auto& row = GetParam();
  EXPECT_EQ(SafeFormat(row.format, row.args, kRoomy), row.expected);
}

INSTANTIATE_TEST_SUITE_P(
    LikePrintf, SafeFormatRows,
    testing::Values(
        FormatCase{"no_conversion", "plain text", {}, "plain text"},
        FormatCase{"two_strings", "Port %s: %s", {"COM1", "busy"}, "Port COM1: busy"},
        FormatCase{"zero_padded", "%02d/%02d/%04d", {7, 3, 2024}, "07/03/2024"},
        FormatCase{"hex_alternate", "%#08x", {0x1234u}, "0x001234"},
        FormatCase{"upper_hex_byte", "%02X", {0xABu}, "AB"},
        FormatCase{"octal", "%o", {8}, "10"},
        FormatCase{"signs", "%+d % d", {5, 5}, "+5  5"},
        FormatCase{"left_justified", "[%-5d][%5s][%-5s]", {42, "ab", "cd"}, "[42   ][   ab][cd   ]"},
        FormatCase{"precision_of_text", "%.3s", {"abcdef"}, "abc"},
        FormatCase{"character_nul_prints_nothing", "[%c]", {0}, "[]"},
        FormatCase{"floating", "%.2f %e %g", {3.14159, 1000.0, 0.5}, "3.14 1.000000e+03 0.5"},
        FormatCase{"percent", "100%%", {}, "100%"},
        FormatCase{"int_cut_to_int", "%d", {std::int64_t{0x100000001}}, "1"},
        FormatCase{"unsigned_of_negative", "%u", {-1}, "4294967295"},
        FormatCase{"short", "%hd %hu", {70000, -1}, "4464 65535"},
        FormatCase{"char_length", "%hhd", {300}, "44"},
        FormatCase{"long_long", "%lld", {std::int64_t{-5000000000}}, "-5000000000"},
        FormatCase{"large_unsigned_as_d", "%lld", {std::uint64_t{18446744073709551615u}}, "-1"},
        FormatCase{"wide_text_modifier_ignored", "%ls", {"x"}, "x"},
        FormatCase{"extra_arguments_ignored", "%d", {1, 2, "three"}, "1"},
        FormatCase{"utf8_text_argument", "%s!", {"Größe"}, "Größe!"},
        FormatCase{"width_counts_characters", "[%6s]", {"Über"}, "[  Über]"},
        FormatCase{"precision_counts_characters", "%.2s", {"ÄÖÜ"}, "ÄÖ"}),
    RowName());

INSTANTIATE_TEST_SUITE_P(
    HostileFormats, SafeFormatRows,
    testing::Values(
        FormatCase{"text_given_a_number", "Port %s", {5}, "Port %s"},
        FormatCase{"number_given_a_text", "Code %d", {"x"}, "Code %d"},
        FormatCase{"floating_given_a_number", "%f", {1}, "%f"},
        FormatCase{"mismatch_uses_up_its_argument", "%d %s", {"a", "b"}, "%d b"},
        FormatCase{"more_conversions_than_arguments", "%s %s %s", {"one"}, "one %s %s"},
        FormatCase{"no_arguments", "%s%d%x%c%f", {}, "%s%d%x%c%f"},
        FormatCase{"count_prints_nothing", "a%nb%s", {"c"}, "abc"},
        FormatCase{"count_with_modifier", "a%hhnb", {}, "ab"},
        FormatCase{"pointer_not_supported", "%p", {1}, "%p"},
        FormatCase{"star_width_not_supported", "%*d", {5, 1}, "%*d"},
        FormatCase{"positional_not_supported", "%1$s", {"a"}, "%1$s"},
        FormatCase{"unknown_letter", "%y%s", {"a"}, "%ya"},
        FormatCase{"long_double_integer", "%Ld", {1}, "%Ld"},
        FormatCase{"trailing_percent", "50%", {}, "50%"},
        FormatCase{"trailing_flags", "x%-08.", {}, "x%-08."},
        FormatCase{"percent_then_multibyte", "%ü", {}, "%ü"},
        FormatCase{"percent_with_flags", "%5%", {}, "%"}),
    RowName());

TEST(SafeFormat, HugeWidthIsCappedInsteadOfAllocated) {
  const std::string result = SafeFormat("%999999999d|%.999999999f", {1, 1.0}, SIZE_MAX);
  EXPECT_EQ(result.size(), 2 * kMaxFieldWidth + 1 + 2);  // "1." before the precision's digits
  EXPECT_EQ(result.substr(kMaxFieldWidth - 1, 2), "1|");
}

TEST(SafeFormat, CutsTheResultToTheLimit) {
  EXPECT_EQ(SafeFormat("%s-%s", {"abc", "def"}, 5), "abc-d");
  EXPECT_EQ(SafeFormat("abc", {}, 0), "");
  EXPECT_EQ(SafeFormat(std::string(600, 'x'), {}, 519).size(), 519u);
}

TEST(SafeFormat, NeverCutsInsideACharacter) {
  const std::string result = SafeFormat("%s", {"ÄÄÄ"}, 2);
  EXPECT_EQ(result, "ÄÄ");
  EXPECT_EQ(CountCharacters(result), 2u);
}

TEST(SafeFormat, StopsEarlyOnLongOutputs) {
  // Thousands of wide conversions must not build megabytes only to cut them.
  std::string format;
  for (int i = 0; i < 2000; ++i) format += "%4000d";
  std::vector<FormatArg> args(2000, FormatArg(1));
  EXPECT_EQ(SafeFormat(format, args, 10), std::string(10, ' '));
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

struct SignatureCase {
  const char* name;
  const char* format;
  const char* expected;
};

class FormatSignatureRows : public testing::TestWithParam<SignatureCase> {};

TEST_P(FormatSignatureRows, NamesTheArgumentTypes) {
  EXPECT_EQ(FormatSignature(GetParam().format), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatSignatureRows,
    testing::Values(SignatureCase{"none", "plain", ""}, SignatureCase{"percent_only", "100%%", ""},
                    SignatureCase{"two_texts", "%s %s", "ss"}, SignatureCase{"integers", "%d %u %02X %c %ld", "ddddd"},
                    SignatureCase{"floating", "%.1f %g", "ff"}, SignatureCase{"mixed", "%s:%d", "sd"},
                    SignatureCase{"count", "%n", "!"}, SignatureCase{"unknown", "%y", "!"},
                    SignatureCase{"trailing", "50%", "!"}, SignatureCase{"star", "%*d", "!"}),
    RowName());

}  // namespace
}  // namespace tusko
