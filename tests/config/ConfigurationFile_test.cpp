#include "config/ConfigurationFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <set>
#include <string>

#include "config/TextFields.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using test::ReadFileText;
using test::WriteFileText;

ConfigurationImage NamedImage(std::string_view name) {
  ConfigurationImage image = MakeDefaultImage();
  WriteCountedText(image, layout::general::kDeviceName, name);
  image.Fill(layout::lcr::kRoutingTable.section.offset, 3 * 128, 0x42);
  return image;
}

class ConfigurationFileTest : public ::testing::Test {
 protected:
  std::set<std::string> FolderNames() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_.path())) names.insert(entry.path().filename().string());
    return names;
  }

  test::TempFolder folder_;
};

TEST_F(ConfigurationFileTest, ReadFailuresAreReportedWithTheirTextKeys) {
  const fs::path missing = folder_ / "missing.cfg";
  ConfigurationReadResult read = ReadConfigurationFile(missing);
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::DoesNotExist);
  EXPECT_EQ(read.systemError, ENOENT);
  EXPECT_FALSE(read.image.has_value());
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorNoFile");

  read = ReadConfigurationFile(folder_.path());
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::CannotOpen);
  EXPECT_EQ(read.systemError, EISDIR);
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorOpen");

  const fs::path notes = folder_ / "notes.cfg";
  WriteFileText(notes, "just some text");
  read = ReadConfigurationFile(notes);
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::FormatError);
  EXPECT_EQ(read.fault, ConfigurationFileFault::ShortHeader);
  EXPECT_FALSE(read.image.has_value());
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorFormat");
  EXPECT_EQ(ConfigurationReadErrorKey(ConfigurationReadOutcome::Read), "");
  WriteFileText(notes, "");
  EXPECT_EQ(ReadConfigurationFile(notes).outcome, ConfigurationReadOutcome::FormatError);
}

TEST_F(ConfigurationFileTest, SaveFailingHalfWayKeepsThePreviousFile) {
  const fs::path path = folder_ / "gateway.cfg";
  ASSERT_TRUE(WriteConfigurationFile(path, NamedImage("previous")).saved);
  const std::string previous = ReadFileText(path);

  // The new file breaks off after 1000 bytes; a write past the limit then fails with EFBIG.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved;
  limit.rlim_cur = 1000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const ConfigurationWriteResult written = WriteConfigurationFile(path, NamedImage("next"));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(written.saved);
  EXPECT_EQ(written.systemError, EFBIG);
  EXPECT_EQ(ReadFileText(path), previous);
  EXPECT_EQ(FolderNames(), std::set<std::string>{"gateway.cfg"});
}

TEST_F(ConfigurationFileTest, SaveOverAFolderFailsAndLeavesIt) {
  const fs::path path = folder_ / "taken.cfg";
  fs::create_directory(path);
  WriteFileText(path / "inside", "\x07");
  EXPECT_FALSE(WriteConfigurationFile(path, MakeDefaultImage()).saved);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(ReadFileText(path / "inside"), "\x07");
  EXPECT_EQ(FolderNames(), std::set<std::string>{"taken.cfg"});
}

TEST_F(ConfigurationFileTest, SaveThroughALinkReplacesTheLinkedFileKeepingItsPermissions) {
  const fs::path real = folder_ / "real.cfg";
  const fs::path link = folder_ / "link.cfg";
  ASSERT_TRUE(WriteConfigurationFile(real, MakeDefaultImage()).saved);
  ::chmod(real.c_str(), 0640);
  fs::create_symlink(real, link);
  const ConfigurationImage image = NamedImage("linked");
  const ConfigurationWriteResult written = WriteConfigurationFile(link, image);
  ASSERT_TRUE(written.saved) << written.systemError;
  EXPECT_TRUE(fs::is_symlink(link));
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  const ConfigurationReadResult read = ReadConfigurationFile(link);
  ASSERT_EQ(read.outcome, ConfigurationReadOutcome::Read);
  ASSERT_TRUE(read.image.has_value());
  EXPECT_EQ(*read.image, image);
  EXPECT_EQ(FolderNames(), (std::set<std::string>{"link.cfg", "real.cfg"}));  // no temporary file is left
}

}  // namespace
}  // namespace tusko
