#include "app/session/ConfigBackups.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "config/ConfigurationFile.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr BackupTime kTime{2026, 1, 2, 3, 4, 5};

struct NameRow {
  const char* name;
  std::string device;
  std::string file;
};

class BackupNames : public testing::TestWithParam<NameRow> {};

TEST_P(BackupNames, AreSafeAndDated) { EXPECT_EQ(BackupFileName(GetParam().device, kTime), GetParam().file); }

INSTANTIATE_TEST_SUITE_P(
    Rows, BackupNames,
    testing::Values(NameRow{"plain", "Office 2", "Office 2-20260102-030405.cfg"},
                    NameRow{"slashes", "a/b\\c", "a_b_c-20260102-030405.cfg"},
                    NameRow{"control", std::string("x\ty\x7F", 4), "x_y_-20260102-030405.cfg"},
                    NameRow{"dots", "../up", "_up-20260102-030405.cfg"},
                    NameRow{"empty", "", "gateway-20260102-030405.cfg"},
                    NameRow{"blank", "  ", "gateway-20260102-030405.cfg"}),
    test::RowName<NameRow>);

class ConfigBackupsTest : public testing::Test {
 protected:
  // A ".cfg" file of `bytes` bytes written `age` seconds before the others.
  fs::path Old(const std::string& name, std::size_t bytes, int age) const {
    const fs::path path = folder_ / name;
    std::ofstream(path) << std::string(bytes, 'x');
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::seconds(age));
    return path;
  }
  test::TempFolder folder_;
};

TEST_F(ConfigBackupsTest, SaveMakesTheFolderAndGivesASecondNameWithinOneSecond) {
  const BackupRules rules{folder_ / "data" / "backups", 1024 * 1024};
  ConfigurationImage image = MakeDefaultImage();
  const auto first = SaveConfigBackup(rules, "Office", kTime, image);
  image.SetByte(600, 0x5A);
  const auto second = SaveConfigBackup(rules, "Office", kTime, image);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->filename(), "Office-20260102-030405.cfg");
  EXPECT_EQ(second->filename(), "Office-20260102-030405-2.cfg");
  const ConfigurationReadResult read = ReadConfigurationFile(*second);
  ASSERT_TRUE(read.image.has_value());
  EXPECT_TRUE(*read.image == image);
}

TEST_F(ConfigBackupsTest, SaveTellsWhenTheFolderCannotBeMade) {
  std::ofstream(folder_ / "file") << "x";
  EXPECT_FALSE(SaveConfigBackup({folder_ / "file" / "backups", 1024}, "Office", kTime, MakeDefaultImage()));
}

TEST_F(ConfigBackupsTest, PruneRemovesTheOldestBackupsOnlyUntilTheFolderFits) {
  const fs::path oldest = Old("a-1.cfg", 100, 30);
  const fs::path older = Old("b-1.cfg", 100, 20);
  const fs::path newer = Old("c-1.cfg", 100, 10);
  const fs::path notes = Old("notes.txt", 500, 40);
  PruneBackups(folder_.path(), 250, newer);
  EXPECT_FALSE(fs::exists(oldest));
  EXPECT_TRUE(fs::exists(older));
  EXPECT_TRUE(fs::exists(newer));
  EXPECT_TRUE(fs::exists(notes)) << "only backups count and go";

  // The backup just made stays even when it alone passes the bound.
  PruneBackups(folder_.path(), 50, newer);
  EXPECT_FALSE(fs::exists(older));
  EXPECT_TRUE(fs::exists(newer));
}

TEST_F(ConfigBackupsTest, RulesFollowTheSettingsAndTheDataFolder) {
  const char* saved = std::getenv("XDG_DATA_HOME");
  const std::string before = saved != nullptr ? saved : "";
  ::setenv("XDG_DATA_HOME", folder_.path().c_str(), 1);
  ProgramSettings settings;
  settings.configBackupMaxKBytes = 2;
  const auto rules = BackupRulesFrom(settings, false);
  EXPECT_FALSE(BackupRulesFrom(settings, true)) << "--no-backup";
  settings.configBackup = 0;
  EXPECT_FALSE(BackupRulesFrom(settings, false));
  saved != nullptr ? ::setenv("XDG_DATA_HOME", before.c_str(), 1) : ::unsetenv("XDG_DATA_HOME");
  ASSERT_TRUE(rules);
  EXPECT_EQ(rules->folder, folder_ / "Ombrel" / "DravenixIsdnTusko" / "backups");
  EXPECT_EQ(rules->maxBytes, 2048u);
}

}  // namespace
}  // namespace tusko
