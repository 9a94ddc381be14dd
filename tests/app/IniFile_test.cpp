#include "app/core/IniFile.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "app/LanguageTestRows.h"

namespace tusko {
namespace {

struct LookupCase {
  const char* name;
  const char* text;
  const char* section;
  const char* key;
  std::optional<std::string> expected;
};

class IniLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(IniLookup, FindsTheValueByThePlatformRules) {
  const auto& row = GetParam();
  const IniFile ini = IniFile::Parse(row.text);
  const auto value = ini.Find(row.section, row.key);
  ASSERT_EQ(value.has_value(), row.expected.has_value());
  if (value) {
    EXPECT_EQ(std::string(*value), *row.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniLookup,
    testing::Values(
        LookupCase{"plain", "[strings]\nstrOK=OK\n", "strings", "strOK", "OK"},
        LookupCase{"section_case", "[Strings]\nstrOK=OK\n", "STRINGS", "strOK", "OK"},
        LookupCase{"key_case", "[strings]\nSTROK=OK\n", "strings", "strok", "OK"},
        LookupCase{"value_case_kept", "[s]\nk=MiXeD\n", "s", "k", "MiXeD"},
        LookupCase{"blanks_trimmed", "  [ strings ]  \n\t strOK \t=  O K \t\n", "strings", "strOK", "O K"},
        LookupCase{"first_key_wins", "[s]\nk=first\nK=second\n", "s", "k", "first"},
        LookupCase{"first_section_wins", "[s]\na=1\n[t]\n[S]\nb=2\n", "s", "b", std::nullopt},
        LookupCase{"repeated_section_keeps_first", "[s]\na=1\n[s]\na=2\n", "s", "a", "1"},
        LookupCase{"comment_line", "[s]\n;k=commented\n  ; also\nk=real\n", "s", "k", "real"},
        LookupCase{"no_inline_comment", "[s]\nk=a ; b\n", "s", "k", "a ; b"},
        LookupCase{"double_quotes_removed", "[s]\nk=\"  padded  \"\n", "s", "k", "  padded  "},
        LookupCase{"single_quotes_removed", "[s]\nk='x'\n", "s", "k", "x"},
        LookupCase{"unmatched_quotes_kept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
        LookupCase{"lone_quote_kept", "[s]\nk=\"\n", "s", "k", "\""},
        LookupCase{"crlf", "[s]\r\nk=v\r\nl=w\r\n", "s", "l", "w"},
        LookupCase{"cr_only", "[s]\rk=v\r", "s", "k", "v"},
        LookupCase{"byte_order_mark", "\xEF\xBB\xBF[s]\nk=v\n", "s", "k", "v"},
        LookupCase{"equals_in_value", "[s]\nk=a=b\n", "s", "k", "a=b"},
        LookupCase{"empty_value", "[s]\nk=\n", "s", "k", ""},
        LookupCase{"before_any_section", "k=v\n[s]\n", "s", "k", std::nullopt},
        LookupCase{"line_without_equals", "[s]\nk\nk=v\n", "s", "k", "v"},
        LookupCase{"empty_key_ignored", "[s]\n=v\n", "s", "", std::nullopt},
        LookupCase{"broken_header_keeps_section", "[s]\n[broken\nk=v\n", "s", "k", "v"},
        LookupCase{"header_to_last_bracket", "[a]b]\nk=v\n", "a]b", "k", "v"},
        LookupCase{"text_after_header_ignored", "[s] trailing\nk=v\n", "s", "k", "v"},
        LookupCase{"missing_section", "[s]\nk=v\n", "t", "k", std::nullopt},
        LookupCase{"utf8_value", "[s]\nk=Über\n", "s", "k", "Über"},
        LookupCase{"no_final_newline", "[s]\nk=v", "s", "k", "v"}),
    RowName());

TEST(IniFile, KeepsTheValueAsWrittenForExactChecks) {
  const IniFile ini = IniFile::Parse("[general]\nversion = 1.2.0.0 \r\nquoted=\"1.2.0.0\"\n");
  EXPECT_EQ(ini.Find("general", "version"), "1.2.0.0");
  EXPECT_EQ(ini.FindAsWritten("general", "version"), "1.2.0.0 ");
  EXPECT_EQ(ini.FindAsWritten("general", "quoted"), "\"1.2.0.0\"");
  EXPECT_FALSE(ini.FindAsWritten("general", "missing").has_value());
}

TEST(IniFile, MissingKeyGivesTheFallback) {
  const IniFile ini = IniFile::Parse("[s]\nk=v\n");
  EXPECT_EQ(ini.GetString("s", "other", "fallback"), "fallback");
  EXPECT_EQ(ini.GetString("s", "other"), "");
  EXPECT_TRUE(ini.HasSection("S"));
  EXPECT_FALSE(ini.HasSection("t"));
}

struct IntCase {
  const char* name;
  const char* value;
  int expected;
};

class IniNumber : public testing::TestWithParam<IntCase> {};

TEST_P(IniNumber, ReadsLeadingDigits) {
  const IniFile ini = IniFile::Parse(std::string("[s]\nn=") + GetParam().value + "\n");
  EXPECT_EQ(ini.GetInt("s", "n", -7), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, IniNumber,
                         testing::Values(IntCase{"plain", "2", 2}, IntCase{"plus", "+3", 3},
                                         IntCase{"trailing_text", "12abc", 12}, IntCase{"no_digits", "abc", 0},
                                         IntCase{"empty", "", 0}, IntCase{"negative", "-5", 0},
                                         IntCase{"double_sign", "--5", 0}, IntCase{"huge", "99999999999999999999", INT_MAX},
                                         IntCase{"above_int", "3000000000", INT_MAX}),
                         RowName());

TEST(IniFile, MissingNumberGivesTheFallback) {
  EXPECT_EQ(IniFile::Parse("[s]\n").GetInt("s", "n", -7), -7);
}

class IniFileOnDisk : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("tusko_ini_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_;
};

TEST_F(IniFileOnDisk, LoadsARegularFile) {
  std::ofstream(folder_ / "a.ini") << "[s]\nk=v\n";
  const auto ini = IniFile::Load(folder_ / "a.ini");
  ASSERT_TRUE(ini.has_value());
  EXPECT_EQ(ini->Find("s", "k"), "v");
}

TEST_F(IniFileOnDisk, RefusesWhatIsNotAReadableFile) {
  EXPECT_FALSE(IniFile::Load(folder_ / "missing.ini").has_value());
  EXPECT_FALSE(IniFile::Load(folder_).has_value()) << "a folder opens as a stream but is no file";
  std::ofstream(folder_ / "big.ini") << std::string(IniFile::kMaxFileBytes + 1, ';');
  EXPECT_FALSE(IniFile::Load(folder_ / "big.ini").has_value());
}

}  // namespace
}  // namespace tusko
