#include "app/core/FileSettingsStore.h"

#include <gtest/gtest.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>

#include "app/core/FileSettings.h"
#include "app/core/ProgramSettings.h"
#include "app/core/RecentFiles.h"
#include "app/core/WindowStateSettings.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kUnprivilegedId = 65534;  // nobody
constexpr int kChildSetupFailed = 3;

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

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

enum class Privileges { Kept, DroppedWhenRoot };

// Runs `action` in a child process, so that limits it sets stay there; with
// DroppedWhenRoot the child gives up root's right to read and write
// everywhere. Empty when the child could not be run as asked.
std::optional<bool> RunInChild(Privileges privileges, const std::function<bool()>& action) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (privileges == Privileges::DroppedWhenRoot && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0)) {
      ::_exit(kChildSetupFailed);
    }
    ::_exit(action() ? 0 : 1);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return std::nullopt;
  if (WEXITSTATUS(status) > 1) return std::nullopt;
  return WEXITSTATUS(status) == 0;
}

class FileSettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tusko-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    // Lets an unprivileged child reach the files below.
    fs::permissions(root_, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);
    xdg_.emplace("XDG_CONFIG_HOME", root_.c_str());
    const auto path = FileSettingsStore::DefaultFilePath();
    ASSERT_TRUE(path.has_value());
    file_ = *path;
  }

  void TearDown() override {
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(root_, error)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
    fs::remove_all(root_, error);
  }

  std::size_t filesInFolder() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(file_.parent_path()), {}));
  }

  fs::path root_;
  fs::path file_;
  std::optional<ScopedEnvironment> xdg_;
};

struct PathRow {
  const char* name;
  const char* xdgConfigHome;  // null: unset
  const char* expected;
};

const PathRow kPathRows[] = {
    {"xdg-set", "/srv/config", "/srv/config/Ombrel/DravenixIsdnTusko.conf"},
    {"xdg-unset", nullptr, "/home/operator/.config/Ombrel/DravenixIsdnTusko.conf"},
    {"xdg-empty", "", "/home/operator/.config/Ombrel/DravenixIsdnTusko.conf"},
    {"xdg-relative-ignored", "config", "/home/operator/.config/Ombrel/DravenixIsdnTusko.conf"},
};

TEST(FileSettingsStorePath, FollowsXdgConfigHomeWithHomeAsFallback) {
  const ScopedEnvironment home("HOME", "/home/operator");
  for (const auto& row : kPathRows) {
    SCOPED_TRACE(row.name);
    const ScopedEnvironment xdg("XDG_CONFIG_HOME", row.xdgConfigHome);
    EXPECT_EQ(FileSettingsStore::DefaultFilePath(), fs::path(row.expected));
  }
}

TEST_F(FileSettingsStoreTest, MissingFileGivesDefaultsAndLoadingCreatesNothing) {
  FileSettingsStore store(file_);
  EXPECT_EQ(LoadProgramSettings(store), ProgramSettings());
  EXPECT_EQ(LoadWindowState(store).normalRect(), std::nullopt);
  EXPECT_EQ(LoadRecentFiles(store).entries().size(), 0u);
  EXPECT_FALSE(fs::exists(file_));
  EXPECT_TRUE(store.commit());
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(FileSettingsStoreTest, SavedRecordsReadBackFromANewStore) {
  ProgramSettings program;
  program.language = 2;
  program.comMode = 1;
  program.virtualComPort = "/dev/ttyACM0";
  program.tcpAddress = "gw=1 \"lab\"\n\\\\host\\ ";
  program.tcpPort = 2002;
  program.communicationTimeoutReadCells = 0xFFFFFFFF;
  program.cdrFieldCause = 0;
  FileSettings files("/start");
  files.browsePathData = "/data/[configs]";
  files.lastFlashWriteFile = "/fw/image;1#.bin";
  files.splitterPos2 = 333;
  WindowStateSettings window;
  window.capture({{-1200, 40, -200, 700}, true, RebarState{true, false, true}, false});
  RecentFiles recent(6);
  recent.add("/b.cfg");
  recent.add("/a = b.cfg");
  {
    FileSettingsStore store(file_);
    ASSERT_TRUE(SaveProgramSettings(store, program));
    ASSERT_TRUE(SaveFileSettings(store, files));
    ASSERT_TRUE(SaveWindowState(store, window));
    ASSERT_TRUE(SaveRecentFiles(store, recent));
  }
  FileSettingsStore store(file_);
  EXPECT_EQ(LoadProgramSettings(store), program);
  EXPECT_EQ(LoadFileSettings(store, "/elsewhere"), files);
  EXPECT_EQ(LoadWindowState(store), window);
  const auto loadedRecent = LoadRecentFiles(store);
  EXPECT_EQ(loadedRecent.capacity(), 6u);
  EXPECT_EQ(loadedRecent.entries(), recent.entries());
}

constexpr const char* kHandEdited =
    "; kept by hand\n"
    "[DravenixIsdnTusko]\n"
    "CommunicationLog=1\n"
    "CommunicationTimeoutSwitchToLoader = 7777\n"
    "CheckFirmwareVersion=0\n"
    "DataReadWriteRequestDelay=40\n"
    "Baudrate=9600\n"
    "FutureOption=\"from a later version\"\n"
    "just some words\n"
    "\n"
    "[Somebody Else]\n"
    "Baudrate=1\n";

TEST_F(FileSettingsStoreTest, LinesTheProgramNeverWritesSurviveEverySave) {
  WriteFile(file_, kHandEdited);
  FileSettingsStore store(file_);
  auto program = LoadProgramSettings(store);
  EXPECT_EQ(program.communicationLog, 1u);
  EXPECT_EQ(program.communicationTimeoutSwitchToLoader, 7777u);
  EXPECT_EQ(program.checkFirmwareVersion, 0u);
  EXPECT_EQ(program.dataReadWriteRequestDelay, 40u);
  EXPECT_EQ(program.dataReadWriteMaxPendingRequests, 5u);
  EXPECT_EQ(program.baudrate, 9600u);
  // As "-comlog" would for one run.
  program.communicationLog = 1;
  program.checkFirmwareVersion = 1;
  program.baudrate = 19200;
  for (int save = 0; save < 2; ++save) {
    ASSERT_TRUE(SaveProgramSettings(store, program));
    ASSERT_TRUE(SaveFileSettings(store, LoadFileSettings(store)));
    ASSERT_TRUE(SaveWindowState(store, LoadWindowState(store)));
    ASSERT_TRUE(SaveRecentFiles(store, LoadRecentFiles(store)));
  }
  const auto text = ReadFile(file_);
  for (const char* line : {"; kept by hand\n", "CommunicationLog=1\n", "CommunicationTimeoutSwitchToLoader = 7777\n",
                           "CheckFirmwareVersion=0\n", "DataReadWriteRequestDelay=40\n",
                           "FutureOption=\"from a later version\"\n", "just some words\n",
                           "[Somebody Else]\nBaudrate=1\n", "Baudrate=19200\n"}) {
    SCOPED_TRACE(line);
    EXPECT_NE(text.find(line), std::string::npos);
  }
  FileSettingsStore reopened(file_);
  const auto reloaded = LoadProgramSettings(reopened);
  EXPECT_EQ(reloaded.checkFirmwareVersion, 0u);
  EXPECT_EQ(reloaded.baudrate, 19200u);
}

TEST_F(FileSettingsStoreTest, HandEditMadeWhileRunningSurvivesTheNextSaveAndBareCommit) {
  FileSettingsStore store(file_);
  ASSERT_TRUE(SaveProgramSettings(store, LoadProgramSettings(store)));
  WriteFile(file_, ReadFile(file_) + "CommunicationLog=1\n");
  ASSERT_TRUE(SaveProgramSettings(store, ProgramSettings()));
  EXPECT_EQ(LoadProgramSettings(store).communicationLog, 1u);
  // A fresh store writing without opening a section first.
  FileSettingsStore fresh(file_);
  ASSERT_TRUE(fresh.writeNumber(kSettingsSection, "TcpPort", 2002));
  ASSERT_TRUE(fresh.commit());
  const auto text = ReadFile(file_);
  EXPECT_NE(text.find("CommunicationLog=1\n"), std::string::npos);
  EXPECT_NE(text.find("TcpPort=2002\n"), std::string::npos);
}

TEST_F(FileSettingsStoreTest, FileReplacedThroughSymbolicLinkKeepsLinkAndPermissions) {
  const auto real = root_ / "dotfiles" / "tusko.conf";
  WriteFile(real, "[DravenixIsdnTusko]\nBaudrate=9600\n");
  fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_directories(file_.parent_path());
  fs::create_symlink(real, file_);
  FileSettingsStore store(file_);
  auto program = LoadProgramSettings(store);
  program.baudrate = 38400;
  ASSERT_TRUE(SaveProgramSettings(store, program));
  EXPECT_TRUE(fs::is_symlink(file_));
  EXPECT_NE(ReadFile(real).find("Baudrate=38400\n"), std::string::npos);
  EXPECT_EQ(fs::status(real).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FileSettingsStoreTest, OversizedFileIsNotTakenForSettingsNorOverwritten) {
  const std::string text = "[DravenixIsdnTusko]\nBaudrate=9600\n" + std::string(kMaxSettingsFileBytes, '#');
  WriteFile(file_, text);
  FileSettingsStore store(file_);
  EXPECT_EQ(LoadProgramSettings(store).baudrate, 115200u);
  EXPECT_FALSE(SaveProgramSettings(store, ProgramSettings()));
  EXPECT_EQ(ReadFile(file_), text);
}

TEST_F(FileSettingsStoreTest, UnwritableFolderReportsFailureAndKeepsTheFile) {
  WriteFile(file_, kHandEdited);
  fs::permissions(file_.parent_path(), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
  const auto saved = RunInChild(Privileges::DroppedWhenRoot, [&] {
    FileSettingsStore store(file_);
    auto program = LoadProgramSettings(store);
    program.baudrate = 57600;
    return program.communicationTimeoutSwitchToLoader == 7777 && SaveProgramSettings(store, program);
  });
  ASSERT_TRUE(saved.has_value());
  EXPECT_FALSE(*saved);
  EXPECT_EQ(ReadFile(file_), kHandEdited);
  EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(FileSettingsStoreTest, FileThatCannotBeReadIsNeverOverwritten) {
  WriteFile(file_, kHandEdited);
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
  // The folder stays writable, so only the unreadable file stands in the way.
  fs::permissions(file_.parent_path(), fs::perms::all);
  const auto saved = RunInChild(Privileges::DroppedWhenRoot, [&] {
    FileSettingsStore store(file_);
    const bool defaults = LoadProgramSettings(store) == ProgramSettings();
    return defaults && SaveProgramSettings(store, ProgramSettings());
  });
  ASSERT_TRUE(saved.has_value());
  EXPECT_FALSE(*saved);
  EXPECT_EQ(ReadFile(file_), kHandEdited);
}

TEST_F(FileSettingsStoreTest, WriteCutShortLeavesTheOldFileAndNoTemporary) {
  WriteFile(file_, kHandEdited);
  const auto saved = RunInChild(Privileges::Kept, [&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};  // bytes: far less than the settings need
    FileSettingsStore store(file_);
    auto program = LoadProgramSettings(store);
    return ::setrlimit(RLIMIT_FSIZE, &limit) == 0 && SaveProgramSettings(store, program);
  });
  ASSERT_TRUE(saved.has_value());
  EXPECT_FALSE(*saved);
  EXPECT_EQ(ReadFile(file_), kHandEdited);
  EXPECT_EQ(filesInFolder(), 1u);
}

}  // namespace
}  // namespace tusko
