#include "app/settings/FileSettings.h"

#include <gtest/gtest.h>

#include <array>

#include "app/settings/SettingsRecordChecks.h"

namespace tusko {
namespace {

using F = FileSettings;

constexpr std::string_view kStartFolder = "/home/operator/gateway";

const std::array<NumberRow<F>, 6> kNumberRows{{
    {"OpenSaveFilterData", &F::openSaveFilterData, 1, true},
    {"OpenSaveFilterCode", &F::openSaveFilterCode, 1, true},
    {"OpenSaveFilterLog", &F::openSaveFilterLog, 1, true},
    {"OpenSaveFilterCdr", &F::openSaveFilterCdr, 1, true},
    {"SplitterPos1", &F::splitterPos1, 200, true},
    {"SplitterPos2", &F::splitterPos2, 0, true},
}};

const std::array<TextRow<F>, 6> kTextRows{{
    {"BrowsePathData", &F::browsePathData, std::string(kStartFolder), 259},
    {"BrowsePathCode", &F::browsePathCode, std::string(kStartFolder), 259},
    {"BrowsePathLog", &F::browsePathLog, std::string(kStartFolder), 259},
    {"BrowsePathCdr", &F::browsePathCdr, std::string(kStartFolder), 259},
    {"LastFlashWriteFile", &F::lastFlashWriteFile, "", 259},
    {"LastAnnouncementFile", &F::lastAnnouncementFile, "", 259},
}};

TEST(FileSettings, RowsMatchTheValueTable) {
  ExpectRecordRows<F>({[](SettingsStore& store) { return LoadFileSettings(store, kStartFolder); }, SaveFileSettings},
                      kNumberRows, kTextRows, kSettingsSection);
  EXPECT_EQ(FileSettingValues().size(), kNumberRows.size() + kTextRows.size());
}

TEST(FileSettings, LastFlashWriteFileReadsWholeAfterShortAndLongFolders) {
  const std::string flashFile = "/" + std::string(258, 'f');
  for (const std::size_t folderLength : {1u, 40u, 259u}) {
    MemorySettingsStore store;
    store.writeText(kSettingsSection, "BrowsePathData", std::string(folderLength, 'd'));
    store.writeText(kSettingsSection, "LastFlashWriteFile", flashFile);
    EXPECT_EQ(LoadFileSettings(store, kStartFolder).lastFlashWriteFile, flashFile) << folderLength;
  }
}

TEST(FileSettings, FoldersDefaultToTheWorkingDirectory) {
  MemorySettingsStore empty;
  EXPECT_FALSE(CurrentDirectory().empty());
  EXPECT_EQ(LoadFileSettings(empty).browsePathCdr, CurrentDirectory());
}

}  // namespace
}  // namespace tusko
