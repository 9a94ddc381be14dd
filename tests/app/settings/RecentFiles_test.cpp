#include "app/settings/RecentFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/settings/MemorySettingsStore.h"

namespace tusko {
namespace {

using Paths = std::vector<std::string>;

std::string Document(int number) { return "Document" + std::to_string(number); }

TEST(RecentFiles, AddPutsPathsFirstRemoveAndShrinkDropThem) {
  RecentFiles files(3);
  for (const char* path : {"/a", "/b", "/c", "/a"}) files.add(path);
  EXPECT_EQ(files.entries(), (Paths{"/a", "/c", "/b"}));
  files.add("/d");
  files.add("");
  EXPECT_EQ(files.entries(), (Paths{"/d", "/a", "/c"}));
  EXPECT_TRUE(files.remove("/a"));
  EXPECT_FALSE(files.remove("/a"));
  EXPECT_EQ(files.entries(), (Paths{"/d", "/c"}));
  files.add("/e");
  files.setCapacity(2);
  EXPECT_EQ(files.entries(), (Paths{"/e", "/d"}));
}

struct CapacityRow {
  const char* name;
  std::optional<std::uint32_t> stored;  // empty: no "DocumentCount"
  std::size_t expected;
};

const CapacityRow kCapacityRows[] = {
    {"zero-raised-to-2", 0, 2},   {"one-raised-to-2", 1, 2},           {"two", 2, 2},
    {"sixteen", 16, 16},          {"ninety-nine-cut-to-16", 99, 16},   {"missing-default", std::nullopt, 4},
};

TEST(RecentFiles, DocumentCountIsLimitedOnLoading) {
  for (const auto& row : kCapacityRows) {
    SCOPED_TRACE(row.name);
    MemorySettingsStore store;
    if (row.stored) store.writeNumber(kRecentDocumentSection, "DocumentCount", *row.stored);
    EXPECT_EQ(LoadRecentFiles(store).capacity(), row.expected);
  }
}

TEST(RecentFiles, LoadReadsDocumentsFromOneUpToTheCapacitySkippingOverlongPaths) {
  MemorySettingsStore store;
  const std::string longest(259, 'p');
  store.writeNumber(kRecentDocumentSection, "DocumentCount", 5);  // Document2 missing
  store.writeText(kRecentDocumentSection, Document(1), "/newest.cfg");
  store.writeText(kRecentDocumentSection, Document(3), std::string(260, 'q'));
  store.writeText(kRecentDocumentSection, Document(4), longest);
  store.writeText(kRecentDocumentSection, Document(5), "/oldest.cfg");
  store.writeText(kRecentDocumentSection, Document(6), "/beyond-capacity.cfg");
  EXPECT_EQ(LoadRecentFiles(store).entries(), (Paths{"/newest.cfg", longest, "/oldest.cfg"}));
}

TEST(RecentFiles, OnlyAPathThatReadsBackIsListed) {
  const std::string longest(259, 'p');
  const std::string wideLetters = [] {
    std::string path;
    for (int i = 0; i < 130; ++i) path += "\u00E4";  // 130 characters, 260 bytes
    return path;
  }();
  RecentFiles files;
  for (const std::string& path : {longest, std::string(260, 'q'), wideLetters}) files.add(path);
  EXPECT_EQ(files.entries(), Paths{longest});
  MemorySettingsStore store;
  ASSERT_TRUE(SaveRecentFiles(store, files));
  EXPECT_EQ(LoadRecentFiles(store).entries(), files.entries());
}

TEST(RecentFiles, SaveWritesEntriesInOrderAndDeletesStaleOnes) {
  MemorySettingsStore store;
  store.writeNumber(kRecentDocumentSection, "DocumentCount", 16);
  for (int number = 1; number <= 16; ++number) {
    store.writeText(kRecentDocumentSection, Document(number), "/old" + std::to_string(number));
  }
  RecentFiles files(16);
  files.add("/second.cfg");
  files.add("/first.cfg");
  ASSERT_TRUE(SaveRecentFiles(store, files));
  EXPECT_EQ(store.readNumber(kRecentDocumentSection, "DocumentCount"), 16u);
  EXPECT_EQ(store.readText(kRecentDocumentSection, Document(1)), "/first.cfg");
  EXPECT_EQ(store.readText(kRecentDocumentSection, Document(2)), "/second.cfg");
  for (int number = 3; number <= 16; ++number) EXPECT_FALSE(store.contains(kRecentDocumentSection, Document(number)));
  EXPECT_EQ(LoadRecentFiles(store).entries(), files.entries());
}

TEST(RecentFiles, UnopenableSectionGivesAnEmptyListAndSaveFails) {
  MemorySettingsStore store;
  store.writeText(kRecentDocumentSection, Document(1), "/a.cfg");
  store.denyAccess(kRecentDocumentSection);
  const auto files = LoadRecentFiles(store);
  EXPECT_TRUE(files.entries().empty());
  EXPECT_EQ(files.capacity(), kDefaultRecentFiles);
  EXPECT_FALSE(SaveRecentFiles(store, files));
}

}  // namespace
}  // namespace tusko
