// The settings file's text: its lines, and the values as they stand in them.
#include "app/settings/SettingsDocument.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/settings/SettingsValueCodec.h"

namespace tusko {
namespace {

constexpr const char* kHandWritten =
    "; settings typed by hand\nOrphan=before any section\n[DravenixIsdnTusko]\n  Baudrate = 9600  \n"
    "# a comment = not a value\nno equals sign here\n=no name\nFuture=kept\n\n[Other]\nBaudrate=1\n";

// A changed value rewrites only its line; a new one follows its section's last value.
TEST(SettingsDocument, ParsesValuesKeepsEveryLineAndRewritesOnlyWhatChanged) {
  auto document = SettingsDocument::Parse(kHandWritten);
  EXPECT_EQ(document.text(), kHandWritten);
  EXPECT_EQ(document.value("DravenixIsdnTusko", "Baudrate"), "9600");
  EXPECT_EQ(document.value("dravenixisdntusko", "BAUDRATE"), "9600");
  EXPECT_EQ(document.value("Other", "Baudrate"), "1");
  EXPECT_EQ(document.value("DravenixIsdnTusko", "Future"), "kept");
  EXPECT_FALSE(document.value("DravenixIsdnTusko", "# a comment").has_value());
  EXPECT_FALSE(document.value("DravenixIsdnTusko", "Orphan").has_value());
  EXPECT_FALSE(document.value("DravenixIsdnTusko", "").has_value());
  ASSERT_TRUE(document.setValue("DravenixIsdnTusko", "BAUDRATE", "57600"));
  ASSERT_TRUE(document.setValue("DravenixIsdnTusko", "TcpPort", "1002"));
  std::string expected = kHandWritten;
  expected.replace(expected.find("  Baudrate = 9600  "), 19, "Baudrate=57600");
  expected.insert(expected.find("Future=kept\n") + 12, "TcpPort=1002\n");
  EXPECT_EQ(document.text(), expected);
}

TEST(SettingsDocument, CrLfLinesStayAndRemoveDeletesEveryLineOfTheName) {
  auto document = SettingsDocument::Parse("[S]\r\nName = value\r\na=1\nA=3");
  EXPECT_EQ(document.value("S", "Name"), "value");
  ASSERT_TRUE(document.setValue("S", "Other", "2"));
  document.removeValue("S", "a");
  EXPECT_EQ(document.text(), "[S]\r\nName = value\r\nOther=2\n");
}

TEST(SettingsDocument, RefusesWhatWouldNotReadBackTheSame) {
  const struct { std::string section, valueName, raw; } rows[] = {
      {"", "a", "1"},     {"S\n[T]", "a", "1"}, {" S", "a", "1"},  {"S", "", "1"},   {"S", "a=b", "1"},
      {"S", "a\nb", "1"}, {"S", "[T]", "1"},     {"S", ";a", "1"},  {"S", "a ", "1"}, {"S", "a", "1\nb=2"},
      {"S", "a", " 1"},
  };
  for (const auto& row : rows) {
    auto document = SettingsDocument::Parse("[S]\na=0\n");
    EXPECT_FALSE(document.setValue(row.section, row.valueName, row.raw)) << row.section << "/" << row.valueName;
    EXPECT_EQ(document.text(), "[S]\na=0\n");
  }
}

// Quotes, backslashes, line breaks, control bytes and blanks at the ends keep to one line and read back.
TEST(SettingsValueCodec, EveryTextReadsBackUnchangedFromOneLine) {
  const std::string texts[] = {"", "first\r\nsecond\r", "\"", "C:\\new\\x41\\", " \tpadded",
                               std::string("\x01\x1f\x7f", 3), std::string("a\0b", 3), "[Section]",
                               "; not a comment", "Z\xC3\xBCrich \xE2\x82\xAC"};
  for (const auto& text : texts) {
    const auto raw = EncodeSettingsText(text);
    EXPECT_EQ(raw.find_first_of("\r\n"), std::string::npos) << raw;
    EXPECT_EQ(DecodeSettingsText(raw), text) << raw;
  }
}

TEST(SettingsValueCodec, TextsTypedByHandReadAsWritten) {
  const struct { const char* raw; std::string expected; } rows[] = {
      {"COM3", "COM3"},           {"\"a\\qb\"", "a\\qb"} /* unknown escape kept */,
      {"a\\", "a\\"},             {"\"\\x4\"", "\\x4"} /* short hex escape kept */,
      {"\\xZZ", "\\xZZ"},         {"\\x41\\x62", "Ab"},
      {"\\\"x\\\"", "\"x\""},     {"\"", "\""} /* one quote only */,
  };
  for (const auto& row : rows) EXPECT_EQ(DecodeSettingsText(row.raw), row.expected) << row.raw;
}

TEST(SettingsValueCodec, NumbersFitting32BitsDecodeOthersAreRejected) {
  const struct { const char* raw; std::optional<std::uint32_t> expected; } rows[] = {
      {"0", 0u},       {"4294967295", 4294967295u}, {"4294967296", std::nullopt},
      {"99999999999999999999999", std::nullopt},    {"-1", 0xFFFFFFFFu},
      {"-2147483648", 0x80000000u},                 {"-2147483649", std::nullopt},
      {"-0", 0u},      {"007", 7u},                 {"", std::nullopt},
      {"-", std::nullopt},  {"+5", std::nullopt},   {"12abc", std::nullopt},
      {"0x10", std::nullopt},  {"\"5\"", std::nullopt},  {"1 2", std::nullopt},
  };
  for (const auto& row : rows) EXPECT_EQ(DecodeSettingsNumber(row.raw), row.expected) << row.raw;
}

}  // namespace
}  // namespace tusko
