#include "app/session/ConfigBackups.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "config/ConfigurationFile.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr BackupTime kTime{2026, 1, 2, 3, 4, 5};

TEST(ConfigBackups, NamesAreSafeAndDated) {
  for (const auto& [device, file] : std::initializer_list<std::pair<std::string, std::string>>{
           {"Office 2", "Office 2-20260102-030405.cfg"},
           {std::string("a/b\\c\t\x7F", 7), "a_b_c__-20260102-030405.cfg"},
           {"../up", "_up-20260102-030405.cfg"},
           {" ", "gateway-20260102-030405.cfg"}}) {
    EXPECT_EQ(BackupFileName(device, kTime), file) << device;
  }
}

TEST(ConfigBackups, SaveMakesTheFolderAndGivesASecondNameWithinOneSecond) {
  const test::TempFolder folder;
  const BackupRules rules{folder / "data" / "backups", 1024 * 1024};
  ConfigurationImage image = MakeDefaultImage();
  const auto first = SaveConfigBackup(rules, "Office", kTime, image);
  image.SetByte(600, 0x5A);
  const auto second = SaveConfigBackup(rules, "Office", kTime, image);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->filename(), "Office-20260102-030405.cfg");
  EXPECT_EQ(second->filename(), "Office-20260102-030405-2.cfg");
  const ConfigurationReadResult read = ReadConfigurationFile(*second);
  EXPECT_TRUE(read.image && *read.image == image);
}

TEST(ConfigBackups, PruneRemovesTheOldestBackupsOnlyUntilTheFolderFits) {
  const test::TempFolder folder;
  int age = 40;
  const auto old = [&](const char* name) {  // 100 bytes, each file 10 s newer than the one before
    std::ofstream(folder / name) << std::string(100, 'x');
    fs::last_write_time(folder / name, fs::file_time_type::clock::now() - std::chrono::seconds(age -= 10));
    return folder / name;
  };
  const fs::path notes = old("notes.txt"), oldest = old("a.cfg"), older = old("b.cfg"), newest = old("c.cfg");
  PruneBackups(folder.path(), 250, newest);
  EXPECT_FALSE(fs::exists(oldest));
  EXPECT_TRUE(fs::exists(older) && fs::exists(newest));
  EXPECT_TRUE(fs::exists(notes)) << "only backups count and go";
  // The backup just made stays even when it alone passes the bound.
  PruneBackups(folder.path(), 50, newest);
  EXPECT_FALSE(fs::exists(older));
  EXPECT_TRUE(fs::exists(newest));
}

}  // namespace
}  // namespace tusko
