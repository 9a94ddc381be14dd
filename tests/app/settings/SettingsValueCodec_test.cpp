#include "app/settings/SettingsValueCodec.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tusko {
namespace {

struct TextRow {
  const char* name;
  std::string text;
};

// Equals signs, quotes, backslashes, line feeds and blanks at the ends also
// travel through a settings file in the store's round trip.
const TextRow kTextRows[] = {
    {"empty", ""},
    {"carriage-returns", "first\r\nsecond\r"},
    {"lone-quote", "\""},
    {"backslash-x-escape-lookalike", "C:\\new\\x41\\"},
    {"blank-and-tab-at-the-start", " \tpadded"},
    {"control-and-delete", std::string("\x01\x1f\x7f", 3)},
    {"zero-byte", std::string("a\0b", 3)},
    {"section-lookalike", "[Section]"},
    {"comment-lookalike", "; not a comment"},
    {"utf8", "Z\xC3\xBCrich \xE2\x82\xAC"},
};

TEST(SettingsValueCodec, EveryTextReadsBackUnchangedFromOneLine) {
  for (const auto& row : kTextRows) {
    SCOPED_TRACE(row.name);
    const auto raw = EncodeSettingsText(row.text);
    EXPECT_EQ(raw.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(DecodeSettingsText(raw), row.text);
  }
}

struct HandTextRow {
  const char* name;
  const char* raw;
  std::string expected;
};

const HandTextRow kHandTextRows[] = {
    {"unquoted", "COM3", "COM3"},
    {"unknown-escape-kept", "\"a\\qb\"", "a\\qb"},
    {"trailing-backslash-kept", "a\\", "a\\"},
    {"short-hex-escape-kept", "\"\\x4\"", "\\x4"},
    {"bad-hex-escape-kept", "\\xZZ", "\\xZZ"},
    {"hex-escape", "\\x41\\x62", "Ab"},
    {"escaped-quote", "\\\"x\\\"", "\"x\""},
    {"one-quote-only", "\"", "\""},
};

TEST(SettingsValueCodec, TextsTypedByHandReadAsWritten) {
  for (const auto& row : kHandTextRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(DecodeSettingsText(row.raw), row.expected);
  }
}

struct NumberRow {
  const char* raw;
  std::optional<std::uint32_t> expected;
};

const NumberRow kNumberRows[] = {
    {"0", 0u},
    {"115200", 115200u},
    {"4294967295", 4294967295u},
    {"4294967296", std::nullopt},
    {"99999999999999999999999", std::nullopt},
    {"-1", 0xFFFFFFFFu},
    {"-2147483648", 0x80000000u},
    {"-2147483649", std::nullopt},
    {"-0", 0u},
    {"007", 7u},
    {"", std::nullopt},
    {"-", std::nullopt},
    {"+5", std::nullopt},
    {"12abc", std::nullopt},
    {"0x10", std::nullopt},
    {"\"5\"", std::nullopt},
    {"1 2", std::nullopt},
};

TEST(SettingsValueCodec, NumbersFitting32BitsDecodeOthersAreRejected) {
  for (const auto& row : kNumberRows) {
    SCOPED_TRACE(row.raw);
    EXPECT_EQ(DecodeSettingsNumber(row.raw), row.expected);
  }
}

}  // namespace
}  // namespace tusko
