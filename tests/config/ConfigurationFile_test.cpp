#include "config/ConfigurationFile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "ImageBytes.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;
using test::Bytes;

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

ConfigurationImage NamedImage(std::string_view name) {
  ConfigurationImage image = MakeDefaultImage();
  WriteCountedText(image, layout::general::kDeviceName, name);
  image.Fill(layout::lcr::kRoutingTable.section.offset, 3 * 128, 0x42);
  return image;
}

// Caps the size of files this process may write, for one scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

class ConfigurationFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "tusko-config-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }

  void TearDown() override {
    std::error_code error;
    fs::remove_all(folder_, error);
  }

  std::set<std::string> FolderNames() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) names.insert(entry.path().filename().string());
    return names;
  }

  fs::path folder_;
};

TEST_F(ConfigurationFileTest, SavedImageOpensAgain) {
  const fs::path path = folder_ / "gateway.cfg";
  const ConfigurationImage image = NamedImage("office");
  const ConfigurationWriteResult written = WriteConfigurationFile(path, image);
  ASSERT_TRUE(written.saved) << written.systemError;
  EXPECT_EQ(fs::file_size(path), 4588u + 3 * 128);

  const ConfigurationReadResult read = ReadConfigurationFile(path);
  ASSERT_EQ(read.outcome, ConfigurationReadOutcome::Read);
  ASSERT_TRUE(read.image.has_value());
  EXPECT_EQ(*read.image, image);
  EXPECT_EQ(FolderNames(), std::set<std::string>{"gateway.cfg"});  // no temporary file is left
}

TEST_F(ConfigurationFileTest, MissingFileIsReportedAndNotCreated) {
  const fs::path path = folder_ / "missing.cfg";
  const ConfigurationReadResult read = ReadConfigurationFile(path);
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::DoesNotExist);
  EXPECT_EQ(read.systemError, ENOENT);
  EXPECT_FALSE(read.image.has_value());
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorNoFile");
}

TEST_F(ConfigurationFileTest, FolderCannotBeOpened) {
  const ConfigurationReadResult read = ReadConfigurationFile(folder_);
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::CannotOpen);
  EXPECT_EQ(read.systemError, EISDIR);
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorOpen");
}

TEST_F(ConfigurationFileTest, OtherContentIsAFormatError) {
  const fs::path path = folder_ / "notes.cfg";
  WriteBytes(path, test::TextBytes("just some text"));
  const ConfigurationReadResult read = ReadConfigurationFile(path);
  EXPECT_EQ(read.outcome, ConfigurationReadOutcome::FormatError);
  EXPECT_EQ(read.fault, ConfigurationFileFault::ShortHeader);
  EXPECT_FALSE(read.image.has_value());
  EXPECT_EQ(ConfigurationReadErrorKey(read.outcome), "strDataOpenErrorFormat");
  EXPECT_EQ(ConfigurationReadErrorKey(ConfigurationReadOutcome::Read), "");

  WriteBytes(path, {});
  EXPECT_EQ(ReadConfigurationFile(path).outcome, ConfigurationReadOutcome::FormatError);
}

TEST_F(ConfigurationFileTest, SaveFailingHalfWayKeepsThePreviousFile) {
  const fs::path path = folder_ / "gateway.cfg";
  ASSERT_TRUE(WriteConfigurationFile(path, NamedImage("previous")).saved);
  const Bytes previous = FileBytes(path);

  ConfigurationWriteResult written;
  {
    const FileSizeLimit limit(1000);  // the new file breaks off after 1000 bytes
    written = WriteConfigurationFile(path, NamedImage("next"));
  }
  EXPECT_FALSE(written.saved);
  EXPECT_EQ(written.systemError, EFBIG);
  EXPECT_EQ(FileBytes(path), previous);
  EXPECT_EQ(FolderNames(), std::set<std::string>{"gateway.cfg"});
}

TEST_F(ConfigurationFileTest, SaveOverAFolderFailsAndLeavesIt) {
  const fs::path path = folder_ / "taken.cfg";
  fs::create_directory(path);
  WriteBytes(path / "inside", {7});
  EXPECT_FALSE(WriteConfigurationFile(path, MakeDefaultImage()).saved);
  EXPECT_TRUE(fs::is_directory(path));
  EXPECT_EQ(FileBytes(path / "inside"), Bytes{7});
  EXPECT_EQ(FolderNames(), std::set<std::string>{"taken.cfg"});
}

TEST_F(ConfigurationFileTest, ReplacedFileKeepsItsPermissions) {
  const fs::path path = folder_ / "shared.cfg";
  ASSERT_TRUE(WriteConfigurationFile(path, MakeDefaultImage()).saved);
  ::chmod(path.c_str(), 0640);
  ASSERT_TRUE(WriteConfigurationFile(path, NamedImage("again")).saved);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST_F(ConfigurationFileTest, SaveThroughALinkReplacesTheLinkedFile) {
  const fs::path real = folder_ / "real.cfg";
  const fs::path link = folder_ / "link.cfg";
  ASSERT_TRUE(WriteConfigurationFile(real, MakeDefaultImage()).saved);
  fs::create_symlink(real, link);
  const ConfigurationImage image = NamedImage("linked");
  ASSERT_TRUE(WriteConfigurationFile(link, image).saved);
  EXPECT_TRUE(fs::is_symlink(link));
  const ConfigurationReadResult read = ReadConfigurationFile(real);
  ASSERT_TRUE(read.image.has_value());
  EXPECT_EQ(*read.image, image);
}

}  // namespace
}  // namespace tusko
