#include "app/language/IniFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <optional>
#include <string>

#include "support/TempFolder.h"

namespace tusko {
namespace {

TEST(IniFile, FindsTheValueByThePlatformRules) {
  const struct { const char *name, *text, *section, *key; std::optional<std::string> expected; } rows[] = {
      {"plain", "[strings]\nstrOK=OK\n", "strings", "strOK", "OK"},
      {"section_case", "[Strings]\nstrOK=OK\n", "STRINGS", "strOK", "OK"},
      {"key_case", "[strings]\nSTROK=OK\n", "strings", "strok", "OK"},
      {"blanks_trimmed", "  [ strings ]  \n\t strOK \t=  O K \t\n", "strings", "strOK", "O K"},
      {"first_key_wins", "[s]\nk=first\nK=second\n", "s", "k", "first"},
      {"first_section_wins", "[s]\na=1\n[t]\n[S]\nb=2\n", "s", "b", std::nullopt},
      {"comment_line", "[s]\n;k=commented\n  ; also\nk=real\n", "s", "k", "real"},
      {"no_inline_comment", "[s]\nk=a ; b\n", "s", "k", "a ; b"},
      {"double_quotes_removed", "[s]\nk=\"  padded  \"\n", "s", "k", "  padded  "},
      {"single_quotes_removed", "[s]\nk='x'\n", "s", "k", "x"},
      {"unmatched_quotes_kept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
      {"lone_quote_kept", "[s]\nk=\"\n", "s", "k", "\""},
      {"crlf", "[s]\r\nk=v\r\nl=w\r\n", "s", "l", "w"},
      {"cr_only", "[s]\rk=v\r", "s", "k", "v"},
      {"byte_order_mark", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
      {"equals_in_value", "[s]\nk=a=b\n", "s", "k", "a=b"},
      {"empty_value", "[s]\nk=\n", "s", "k", ""},
      {"before_any_section", "k=v\n[s]\n", "s", "k", std::nullopt},
      {"line_without_equals", "[s]\nk\nk=v\n", "s", "k", "v"},
      {"empty_key_ignored", "[s]\n=v\n", "s", "", std::nullopt},
      {"broken_header_keeps_section", "[s]\n[broken\nk=v\n", "s", "k", "v"},
      {"header_to_last_bracket", "[a]b]\nk=v\n", "a]b", "k", "v"},
      {"text_after_header_ignored", "[s] trailing\nk=v\n", "s", "k", "v"},
      {"no_final_newline", "[s]\nk=v", "s", "k", "v"}};
  for (const auto& row : rows) {
    const IniFile ini = IniFile::Parse(row.text);
    const auto value = ini.Find(row.section, row.key);
    EXPECT_EQ(value ? std::optional<std::string>(*value) : std::nullopt, row.expected) << row.name;
  }
}

TEST(IniFile, KeepsTheValueAsWrittenAndReadsNumbersByTheirLeadingDigits) {
  const IniFile ini = IniFile::Parse("[general]\nversion = 1.2.0.0 \r\nquoted=\"1.2.0.0\"\n");
  EXPECT_EQ(ini.FindAsWritten("general", "version"), "1.2.0.0 ");
  EXPECT_EQ(ini.FindAsWritten("general", "quoted"), "\"1.2.0.0\"");
  EXPECT_FALSE(ini.FindAsWritten("general", "missing").has_value());
  EXPECT_EQ(ini.GetString("general", "other", "fallback"), "fallback");
  EXPECT_EQ(ini.GetInt("general", "other", -7), -7);
  EXPECT_TRUE(ini.HasSection("GENERAL"));
  EXPECT_FALSE(ini.HasSection("t"));
  const struct { const char* value; int expected; } rows[] = {
      {"2", 2},  {"+3", 3}, {"12abc", 12}, {"abc", 0},           {"", 0},
      {"-5", 0}, {"--5", 0}, {"99999999999999999999", INT_MAX}, {"3000000000", INT_MAX}};
  for (const auto& row : rows) {
    EXPECT_EQ(IniFile::Parse(std::string("[s]\nn=") + row.value + "\n").GetInt("s", "n", -7), row.expected) << row.value;
  }
}

// A missing file or a folder is the language manager's FileNotFound; a damaged huge file is not read either.
TEST(IniFile, ATooLargeFileIsNotRead) {
  const test::TempFolder folder;
  std::ofstream(folder / "big.ini") << std::string(IniFile::kMaxFileBytes + 1, ';');
  EXPECT_FALSE(IniFile::Load(folder / "big.ini").has_value());
}

}  // namespace
}  // namespace tusko
