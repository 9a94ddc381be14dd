#include "app/settings/SettingsDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace tusko {
namespace {

constexpr const char* kHandWritten =
    "; settings typed by hand\n"
    "Orphan=before any section\n"
    "[DravenixIsdnTusko]\n"
    "  Baudrate = 9600  \n"
    "# a comment = not a value\n"
    "no equals sign here\n"
    "=no name\n"
    "Future=kept\n"
    "\n"
    "[Other]\n"
    "Baudrate=1\n";

TEST(SettingsDocument, ParsesValuesAndKeepsEveryLine) {
  const auto document = SettingsDocument::Parse(kHandWritten);
  EXPECT_EQ(document.text(), kHandWritten);
  EXPECT_EQ(document.value("DravenixIsdnTusko", "Baudrate"), "9600");
  EXPECT_EQ(document.value("dravenixisdntusko", "BAUDRATE"), "9600");
  EXPECT_EQ(document.value("Other", "Baudrate"), "1");
  EXPECT_EQ(document.value("DravenixIsdnTusko", "Future"), "kept");
  EXPECT_FALSE(document.value("DravenixIsdnTusko", "# a comment").has_value());
  EXPECT_FALSE(document.value("DravenixIsdnTusko", "Orphan").has_value());
  EXPECT_FALSE(document.value("DravenixIsdnTusko", "").has_value());
}

TEST(SettingsDocument, ChangedValueRewritesOnlyItsLineAndNewOneFollowsItsSection) {
  auto document = SettingsDocument::Parse(kHandWritten);
  ASSERT_TRUE(document.setValue("DravenixIsdnTusko", "BAUDRATE", "57600"));
  ASSERT_TRUE(document.setValue("DravenixIsdnTusko", "TcpPort", "1002"));
  std::string expected = kHandWritten;
  expected.replace(expected.find("  Baudrate = 9600  "), 19, "Baudrate=57600");
  expected.insert(expected.find("Future=kept\n") + 12, "TcpPort=1002\n");  // after the section's last value
  EXPECT_EQ(document.text(), expected);
}

TEST(SettingsDocument, NewSectionIsAppendedAfterABlankLine) {
  auto document = SettingsDocument::Parse("[A]\nx=1");
  ASSERT_TRUE(document.setValue("Recent Document List", "Document1", "\"/a\""));
  EXPECT_EQ(document.text(), "[A]\nx=1\n\n[Recent Document List]\nDocument1=\"/a\"\n");
  EXPECT_EQ(document.value("Recent Document List", "document1"), "\"/a\"");
}

TEST(SettingsDocument, CrLfLinesStayAndRemoveDeletesEveryLineOfTheName) {
  auto document = SettingsDocument::Parse("[S]\r\nName = value\r\na=1\nA=3\n");
  EXPECT_EQ(document.value("S", "Name"), "value");
  ASSERT_TRUE(document.setValue("S", "Other", "2"));
  document.removeValue("S", "a");
  EXPECT_EQ(document.text(), "[S]\r\nName = value\r\nOther=2\n");
}

struct RejectedRow {
  const char* name;
  std::string section, valueName, raw;
};

const RejectedRow kRejectedRows[] = {
    {"empty-section", "", "a", "1"},
    {"section-with-line-break", "S\n[T]", "a", "1"},
    {"section-padded", " S", "a", "1"},
    {"empty-name", "S", "", "1"},
    {"name-with-equals", "S", "a=b", "1"},
    {"name-with-line-break", "S", "a\nb", "1"},
    {"name-like-a-header", "S", "[T]", "1"},
    {"name-like-a-comment", "S", ";a", "1"},
    {"name-padded", "S", "a ", "1"},
    {"raw-with-line-break", "S", "a", "1\nb=2"},
    {"raw-padded", "S", "a", " 1"},
};

TEST(SettingsDocument, RefusesWhatWouldNotReadBackTheSame) {
  for (const auto& row : kRejectedRows) {
    SCOPED_TRACE(row.name);
    auto document = SettingsDocument::Parse("[S]\na=0\n");
    EXPECT_FALSE(document.setValue(row.section, row.valueName, row.raw));
    EXPECT_EQ(document.text(), "[S]\na=0\n");
  }
}

}  // namespace
}  // namespace tusko
