#include "app/settings/FileSettingsStore.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include "app/settings/FileSettings.h"
#include "app/settings/ProgramSettings.h"
#include "app/settings/RecentFiles.h"
#include "app/settings/WindowStateSettings.h"
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
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Set(const char* value) { value != nullptr ? ::setenv(name_, value, 1) : ::unsetenv(name_); }
  const char* name_;
  std::optional<std::string> old_;
};

using test::ReadFileText;
using test::WriteFileText;

// Runs `action` in a child (limits it sets stay there) that gives up root's right
// to write everywhere when asked; empty when the child could not run as asked.
std::optional<bool> RunInChild(bool dropRoot, const std::function<bool()>& action) {
  constexpr uid_t kNobody = 65534;
  const pid_t child = ::fork();
  if (child == 0) {
    if (dropRoot && ::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      ::_exit(3);
    }
    ::_exit(action() ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    return std::nullopt;
  }
  return WEXITSTATUS(status) == 0;
}

class FileSettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Lets an unprivileged child reach the files below.
    fs::permissions(root_.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                      fs::perms::others_read | fs::perms::others_exec);
    xdg_.emplace("XDG_CONFIG_HOME", root_.path().c_str());
    const auto path = FileSettingsStore::DefaultFilePath();
    ASSERT_TRUE(path.has_value());
    file_ = *path;
  }

  void ExpectFailedSaveKeptTheFile(const std::optional<bool>& saved, const std::string& text) {
    ASSERT_TRUE(saved.has_value());
    EXPECT_FALSE(*saved);
    EXPECT_EQ(ReadFileText(file_), text);
    EXPECT_EQ(std::distance(fs::directory_iterator(file_.parent_path()), {}), 1) << "a temporary file was left";
  }

  test::TempFolder root_;
  fs::path file_;
  std::optional<ScopedEnvironment> xdg_;
};

TEST(FileSettingsStorePath, FollowsXdgConfigHomeWithHomeAsFallback) {
  const ScopedEnvironment home("HOME", "/home/operator");
  const char* const fallback = "/home/operator/.config/Ombrel/DravenixIsdnTusko.conf";
  const struct { const char* xdg; const char* expected; } rows[] = {
      {"/srv/config", "/srv/config/Ombrel/DravenixIsdnTusko.conf"}, {nullptr, fallback}, {"", fallback},
      {"config", fallback} /* relative: ignored */};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.xdg ? row.xdg : "unset");
    const ScopedEnvironment xdg("XDG_CONFIG_HOME", row.xdg);
    EXPECT_EQ(FileSettingsStore::DefaultFilePath(), fs::path(row.expected));
  }
}

TEST_F(FileSettingsStoreTest, MissingFileGivesDefaultsAndLoadingCreatesNothing) {
  FileSettingsStore store(file_);
  EXPECT_EQ(LoadProgramSettings(store), ProgramSettings());
  EXPECT_EQ(LoadWindowState(store).normalRect(), std::nullopt);
  EXPECT_EQ(LoadRecentFiles(store).entries().size(), 0u);
  EXPECT_TRUE(store.commit());
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(FileSettingsStoreTest, SavedRecordsReadBackFromANewStore) {
  ProgramSettings program;
  program.language = 2;
  program.virtualComPort = "/dev/ttyACM0";
  program.tcpAddress = "gw=1 \"lab\"\n\\\\host\\ ";
  program.communicationTimeoutReadCells = 0xFFFFFFFF;
  program.cdrFieldCause = 0;
  FileSettings files("/start");
  files.browsePathData = "/data/[configs]";
  files.lastFlashWriteFile = "/fw/image;1#.bin";
  WindowStateSettings window;
  window.capture({{-1200, 40, -200, 700}, true, RebarState{true, false, true}, false});
  RecentFiles recent(6);
  recent.add("/b.cfg");
  recent.add("/a = b.cfg");
  {
    FileSettingsStore store(file_);
    ASSERT_TRUE(SaveProgramSettings(store, program) && SaveFileSettings(store, files) &&
                SaveWindowState(store, window) && SaveRecentFiles(store, recent));
  }
  FileSettingsStore store(file_);
  EXPECT_EQ(LoadProgramSettings(store), program);
  EXPECT_EQ(LoadFileSettings(store, "/elsewhere"), files);
  EXPECT_EQ(LoadWindowState(store), window);
  EXPECT_EQ(LoadWindowState(store).normalRect(), (WindowRect{-1200, 40, -200, 700}));
  EXPECT_EQ(LoadRecentFiles(store).capacity(), 6u);
  EXPECT_EQ(LoadRecentFiles(store).entries(), recent.entries());
}

constexpr const char* kHandEdited =
    "; kept by hand\n[DravenixIsdnTusko]\nCommunicationLog=1\nCommunicationTimeoutSwitchToLoader = 7777\n"
    "CheckFirmwareVersion=0\nBaudrate=9600\nFutureOption=\"from a later version\"\njust some words\n\n"
    "[Somebody Else]\nBaudrate=1\n";

TEST_F(FileSettingsStoreTest, HandEditMadeWhileRunningSurvivesTheNextSaveAndBareCommit) {
  FileSettingsStore store(file_);
  ASSERT_TRUE(SaveProgramSettings(store, LoadProgramSettings(store)));
  WriteFileText(file_, ReadFileText(file_) + "CommunicationLog=1\n");
  ASSERT_TRUE(SaveProgramSettings(store, ProgramSettings()));
  EXPECT_EQ(LoadProgramSettings(store).communicationLog, 1u);
  FileSettingsStore fresh(file_);  // writes without opening a section first
  ASSERT_TRUE(fresh.writeNumber(kSettingsSection, "TcpPort", 2002) && fresh.commit());
  const auto text = ReadFileText(file_);
  EXPECT_NE(text.find("CommunicationLog=1\n"), std::string::npos);
  EXPECT_NE(text.find("TcpPort=2002\n"), std::string::npos);
}

TEST_F(FileSettingsStoreTest, FileReplacedThroughSymbolicLinkKeepsLinkAndPermissions) {
  const auto real = root_ / "dotfiles" / "tusko.conf";
  const auto perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  WriteFileText(real, "[DravenixIsdnTusko]\nBaudrate=9600\n");
  fs::permissions(real, perms);
  fs::create_directories(file_.parent_path());
  fs::create_symlink(real, file_);
  FileSettingsStore store(file_);
  auto program = LoadProgramSettings(store);
  program.baudrate = 38400;
  ASSERT_TRUE(SaveProgramSettings(store, program));
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_NE(ReadFileText(real).find("Baudrate=38400\n"), std::string::npos);
  EXPECT_EQ(fs::status(real).permissions(), perms);
}

TEST_F(FileSettingsStoreTest, OversizedFileIsNotTakenForSettingsNorOverwritten) {
  const std::string text = "[DravenixIsdnTusko]\nBaudrate=9600\n" + std::string(kMaxSettingsFileBytes, '#');
  WriteFileText(file_, text);
  FileSettingsStore store(file_);
  EXPECT_EQ(LoadProgramSettings(store).baudrate, 115200u);
  EXPECT_FALSE(SaveProgramSettings(store, ProgramSettings()));
  EXPECT_EQ(ReadFileText(file_), text);
}

TEST_F(FileSettingsStoreTest, UnwritableFolderReportsFailureAndKeepsTheFile) {
  WriteFileText(file_, kHandEdited);
  fs::permissions(file_.parent_path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  ExpectFailedSaveKeptTheFile(RunInChild(true, [&] {
    FileSettingsStore store(file_);
    auto program = LoadProgramSettings(store);
    program.baudrate = 57600;
    return program.communicationTimeoutSwitchToLoader == 7777 && SaveProgramSettings(store, program);
  }), kHandEdited);
}

TEST_F(FileSettingsStoreTest, FileThatCannotBeReadIsNeverOverwritten) {
  WriteFileText(file_, kHandEdited);
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(file_.parent_path(), fs::perms::all);  // only the unreadable file stands in the way
  ExpectFailedSaveKeptTheFile(RunInChild(true, [&] {
    FileSettingsStore store(file_);
    return LoadProgramSettings(store) == ProgramSettings() && SaveProgramSettings(store, ProgramSettings());
  }), kHandEdited);
}

TEST_F(FileSettingsStoreTest, WriteCutShortLeavesTheOldFileAndNoTemporary) {
  WriteFileText(file_, kHandEdited);
  ExpectFailedSaveKeptTheFile(RunInChild(false, [&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};  // bytes: far less than the settings need
    FileSettingsStore store(file_);
    auto program = LoadProgramSettings(store);
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 && SaveProgramSettings(store, program);
  }), kHandEdited);
}

}  // namespace
}  // namespace tusko
