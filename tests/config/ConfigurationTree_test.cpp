#include "config/ConfigurationTree.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "ImageBytes.h"

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

TEST(ConfigurationTree, NodesFollowTheTableOrderAndHangBelowTheirSection) {
  EXPECT_EQ(Ids(TextsWithout({})), (std::vector<int>{0, 1, 11, 12, 13, 14, 17, 15, 16, 2, 21, 22, 3, 31, 33, 32, 34,
                                                     4, 41, 42, 5, 51, 8, 81, 82}));
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
  EXPECT_EQ(FindTreeNode(PageId::ClipGsmNumbers)->textKey, "strDataClipGsm");
  EXPECT_EQ(FindTreeNode(PageId::Gsm)->descriptionKey, "strDataGsmDescr");
}

TEST(ConfigurationTree, OnlyTheHttpAndCellSelectionPagesDisappearWithoutText) {
  const std::vector<int> all = Ids(TextsWithout({}));
  auto without = [&all](std::set<int> absent) {
    std::vector<int> ids;
    for (const int id : all) {
      if (!absent.contains(id)) ids.push_back(id);
    }
    return ids;
  };
  EXPECT_EQ(Ids(TextsWithout({"strDataSystemHttp"})), without({16}));
  EXPECT_EQ(Ids(TextsWithout({"strDataGsmCellSelect"})), without({34}));
  EXPECT_EQ(Ids(TextsWithout({"strDataSystemHttp", "strDataGsmCellSelect"})), without({16, 34}));
  EXPECT_EQ(Ids(TextsWithout({"strDataIsdnCommon", "strDataLcr"})), all);
}

TEST(ConfigurationTree, RootTextShowsTheDeviceNameWhenThereIsOne) {
  struct Row {
    std::string name;
    test::Bytes deviceName;  // from offset 6
    std::string expected;
  };
  const std::vector<Row> rows{
      {"NoName", {0}, "Configuration"},
      {"Name", test::Join({{3}, test::TextBytes("GW1")}), "Configuration - GW1"},
      {"UnsetLengthIsNoName", {0xFF, 'X'}, "Configuration"},
      {"LengthAboveTheField", test::Join({{40}, test::Repeat(31, 'n'), test::TextBytes("!Z")}),
       "Configuration - " + std::string(31, 'n')},
  };
  const TextLookup text = [](std::string_view key) { return key == "strDataRoot" ? "Configuration" : "?"; };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ConfigurationImage image = MakeDefaultImage();
    test::Put(image, 6, row.deviceName);
    const ConfigurationImage before = image;
    EXPECT_EQ(RootText(image, text), row.expected);
    EXPECT_EQ(image, before);
  }
}

using Ranges = std::vector<std::pair<std::size_t, std::size_t>>;  // inclusive

std::set<std::size_t> Expand(PageId id) {
  std::set<std::size_t> bytes;
  for (const ImageArea& area : OwnedAreas(id)) {
    for (std::size_t b = area.offset; b < area.End(); ++b) bytes.insert(b);
  }
  return bytes;
}

std::set<std::size_t> Expand(const Ranges& ranges) {
  std::set<std::size_t> bytes;
  for (const auto& [first, last] : ranges) {
    for (std::size_t b = first; b <= last; ++b) bytes.insert(b);
  }
  return bytes;
}

TEST(ConfigurationTree, OwnedAreasCoverExactlyEachPagesBytes) {
  const std::vector<std::pair<PageId, Ranges>> rows{
      {PageId::SystemGeneral, {{6, 38}, {327, 327}, {331, 331}, {354, 354}, {356, 356}, {29268, 29331}}},
      {PageId::SystemNetwork, {{39, 103}}},
      {PageId::SystemAlarmIndication, {{21160, 21671}}},
      {PageId::SystemCdr, {{21932, 22059}, {353, 353}}},
      {PageId::SystemSms, {{22060, 22187}, {23116, 23371}}},
      {PageId::SystemHttp, {{22860, 23115}, {28372, 28627}}},
      {PageId::SystemCredit, {{29204, 29267}, {360, 363}}},
      {PageId::IsdnCommon, {{320, 326}, {328, 330}, {332, 352}, {355, 355}}},
      {PageId::IsdnLines, {{256, 319}, {357, 357}, {29012, 29203}}},
      {PageId::GsmModules, {{448, 455}, {904, 1159}, {22604, 22859}}},
      {PageId::GsmOutgoingGroup, {{456, 487}}},
      {PageId::GsmIncomingGroup, {{488, 903}, {22188, 22603}}},
      {PageId::GsmCellSelect, {{21672, 21931}}},
      {PageId::LcrClipTab, {{1160, 17559}}},
      {PageId::LcrRoutingTab, {{1160, 13959}}},
      {PageId::ClipGsmNumbers, {{17560, 21159}}},
      {PageId::MobilityExtensionNumbers, {{23372, 28371}}},
      {PageId::MobilityExtensionWorkingHours, {{28628, 29011}}},
      {PageId::Root, {}},
      {PageId::Gsm, {}},
      {PageId::None, {}},
      {static_cast<PageId>(99), {}},
  };
  for (const auto& [id, ranges] : rows) {
    SCOPED_TRACE(static_cast<int>(id));
    EXPECT_EQ(Expand(id), Expand(ranges));
  }
}

}  // namespace
}  // namespace tusko
