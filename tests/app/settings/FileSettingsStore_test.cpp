// The settings file: its text, its lines and values as they stand in them, and the store that keeps it.
#include "app/settings/FileSettingsStore.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>

#include "app/settings/ProgramSettings.h"
#include "app/settings/RecentFiles.h"
#include "app/settings/SettingsDocument.h"
#include "app/settings/SettingsValueCodec.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~ScopedEnvironment() { Set(old_ ? old_->c_str() : nullptr); }

 private:
  void Set(const char* value) { value != nullptr ? ::setenv(name_, value, 1) : ::unsetenv(name_); }
  const char* name_;
  std::optional<std::string> old_;
};

using test::ReadFileText;
using test::WriteFileText;

class FileSettingsStoreTest : public ::testing::Test {
 protected:
  test::TempFolder root_;
  const fs::path file_ = root_ / "Ombrel" / "DravenixIsdnTusko.conf";  // the folder is made by the first save
};

TEST(FileSettingsStorePath, FollowsXdgConfigHomeWithHomeAsFallback) {
  const ScopedEnvironment home("HOME", "/home/operator");
  const char* const fallback = "/home/operator/.config/Ombrel/DravenixIsdnTusko.conf";
  const struct { const char* xdg; const char* expected; } rows[] = {
      {"/srv/config", "/srv/config/Ombrel/DravenixIsdnTusko.conf"}, {nullptr, fallback}, {"", fallback},
      {"config", fallback} /* relative: ignored */};
  for (const auto& row : rows) {
    const ScopedEnvironment xdg("XDG_CONFIG_HOME", row.xdg);
    EXPECT_EQ(FileSettingsStore::DefaultFilePath(), fs::path(row.expected)) << (row.xdg ? row.xdg : "unset");
  }
}

// The records' round trip through a file is their property's; here what only a file shows.
TEST_F(FileSettingsStoreTest, LoadingCreatesNothingAndAHandEditSurvivesTheNextSaveAndBareCommit) {
  FileSettingsStore store(file_);
  EXPECT_EQ(LoadProgramSettings(store), ProgramSettings());
  EXPECT_TRUE(store.commit());
  EXPECT_FALSE(fs::exists(file_));
  ASSERT_TRUE(SaveProgramSettings(store, LoadProgramSettings(store)));
  WriteFileText(file_, ReadFileText(file_) + "CommunicationLog=1\n");  // while the program runs
  ASSERT_TRUE(SaveProgramSettings(store, ProgramSettings()));
  FileSettingsStore fresh(file_);  // writes without opening a section first
  ASSERT_TRUE(fresh.writeNumber(kSettingsSection, "TcpPort", 2002) && fresh.commit());
  const auto text = ReadFileText(file_);
  EXPECT_NE(text.find("CommunicationLog=1\n"), std::string::npos);
  EXPECT_NE(text.find("TcpPort=2002\n"), std::string::npos);
}

constexpr const char* kHandEdited = "[DravenixIsdnTusko]\nBaudrate=9600\n; kept by hand\n";

// A settings file that cannot be read whole, or replaced, is kept as it was
// and the save says it failed. (A write cut short is the file replacement's
// own case, tested with the configuration files.)
TEST_F(FileSettingsStoreTest, FailedSaveReportsFailureAndKeepsTheFile) {
  using enum fs::perms;
  const struct {
    const char* name;
    std::string text;
    bool ofTheFolder;     // else of the file
    fs::perms taken;
    std::uint32_t baudrate;  // as loaded
  } rows[] = {
      {"oversized", kHandEdited + std::string(kMaxSettingsFileBytes, '#'), false, none, 115200},
      {"unwritable_folder", kHandEdited, true, owner_write | group_write | others_write, 9600},
      {"unreadable_file", kHandEdited, false, group_read | others_read, 115200},
  };
  fs::permissions(root_.path(), others_read | others_exec, fs::perm_options::add);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    WriteFileText(file_, row.text);
    fs::permissions(row.ofTheFolder ? file_.parent_path() : file_, row.taken, fs::perm_options::remove);
    // The child gives up root's right to read and write everywhere.
    const pid_t child = ::fork();
    if (child == 0) {
      constexpr uid_t kNobody = 65534;
      if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        ::_exit(3);
      }
      FileSettingsStore store(file_);
      auto program = LoadProgramSettings(store);
      const bool loaded = program.baudrate == row.baudrate;
      program.baudrate = 57600;
      ::_exit(loaded && !SaveProgramSettings(store, program) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: a wrong load or a save that reported success; 3: no unprivileged child";
    EXPECT_EQ(ReadFileText(file_), row.text);
    EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), {}), 1) << "a temporary file was left";
    fs::permissions(file_.parent_path(), all);
  }
}

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
