#include "config/ConfigurationTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tusko {
namespace {

// Texts that are their keys, except the listed keys, which have no text.
TextLookup TextsWithout(std::set<std::string_view> empty) {
  return [empty = std::move(empty)](std::string_view key) { return empty.contains(key) ? "" : std::string(key); };
}

std::vector<int> Ids(const TextLookup& text) {
  std::vector<int> ids;
  for (const TreeNode& node : BuildTreeNodes(text)) ids.push_back(static_cast<int>(node.entry.id));
  return ids;
}

// The tree shows the node table in its order, names unique, each page below the section before it.
TEST(ConfigurationTree, NodesFollowTheTableOrderAndHangBelowTheirSection) {
  std::vector<int> tableIds;
  for (const TreeNodeEntry& entry : TreeNodeTable()) tableIds.push_back(static_cast<int>(entry.id));
  EXPECT_EQ(Ids(TextsWithout({})), tableIds);
  EXPECT_EQ(std::set<int>(tableIds.begin(), tableIds.end()).size(), tableIds.size());
  PageId section = PageId::None;
  for (const TreeNode& node : BuildTreeNodes(TextsWithout({}))) {
    EXPECT_EQ(node.text, node.entry.textKey);
    EXPECT_EQ(node.entry.descriptionKey.empty(), node.entry.kind == NodeKind::Page);
    if (node.entry.kind == NodeKind::Page) {
      EXPECT_EQ(node.entry.parent, section);
    } else {
      section = node.entry.id;
    }
  }
}

TEST(ConfigurationTree, OnlyTheHttpAndCellSelectionPagesDisappearWithoutText) {
  const std::vector<int> all = Ids(TextsWithout({}));
  auto without = [all](int absent) {
    auto ids = all;
    std::erase(ids, absent);
    return ids;
  };
  EXPECT_EQ(Ids(TextsWithout({"strDataSystemHttp"})), without(16));
  EXPECT_EQ(Ids(TextsWithout({"strDataGsmCellSelect"})), without(34));
  EXPECT_EQ(Ids(TextsWithout({"strDataIsdnCommon", "strDataLcr"})), all);
}

std::set<std::size_t> Expand(PageId id) {
  std::set<std::size_t> bytes;
  for (const ImageArea& area : OwnedAreas(id)) {
    for (std::size_t b = area.offset; b < area.End(); ++b) bytes.insert(b);
  }
  return bytes;
}

// Pages own areas; the CLIP tab also owns the routing table, as deleting a profile removes its rules.
TEST(ConfigurationTree, PagesOwnAreasAndTheClipTabAlsoTheRoutingTable) {
  for (const TreeNodeEntry& node : TreeNodeTable()) {
    SCOPED_TRACE(static_cast<int>(node.id));
    EXPECT_EQ(OwnedAreas(node.id).empty(), node.kind != NodeKind::Page);
  }
  const std::set<std::size_t> clip = Expand(PageId::LcrClipTab);
  const std::set<std::size_t> routing = Expand(PageId::LcrRoutingTab);
  EXPECT_TRUE(std::includes(clip.begin(), clip.end(), routing.begin(), routing.end()));
  EXPECT_TRUE(OwnedAreas(static_cast<PageId>(99)).empty());
}

}  // namespace
}  // namespace tusko
