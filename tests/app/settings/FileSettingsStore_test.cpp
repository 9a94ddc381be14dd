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

}  // namespace
}  // namespace tusko
