#include "config/LcrRoutingPage.h"

#include <gtest/gtest.h>

#include "ImageBytes.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

constexpr std::size_t kRouting = 1160;
const TextLookup kKeys = [](std::string_view key) { return std::string(key); };

RoutingRecord Rule(int profile, int line, std::string_view number, std::vector<RoutingTarget> targets) {
  RoutingRecord record = NewRoutingRecord(profile);
  const RoutingItem item{line, std::string(number), 0, "", std::move(targets), 0};
  EXPECT_TRUE(StoreItem(item, {}, kKeys, record).ok);
  return record;
}

void PutRecord(ConfigurationImage& image, std::size_t index, const RoutingRecord& record) {
  image.Store(kRouting + 128 * index, record);
}

TEST(RoutingRuleTest, TargetsShowTheirGroupAocAndCredit) {
  const RoutingRecord record = Rule(0, 0, "0", {{1, 5, 1}, {kIsdnLink1Target, 0, kNoCreditCounter}});
  EXPECT_EQ(TargetsText(record, kKeys), "G2(5,2), strIsdnLinkShort1(n)");
  RoutingRecord unsetAoc = record;
  unsetAoc[57] = 0xFF;
  EXPECT_EQ(ItemOf(unsetAoc).targets[0].aoc, 0) << "an AOC byte above 254 of a GSM target shows as 0";
  EXPECT_EQ(ItemOf(record).targets[1].aoc, 0xFF);
}

TEST(RoutingRuleTest, TheItemDialogChecksInOrder) {
  const std::vector<RoutingRecord> others{Rule(0, 0, "12", {{0, 0, 0}})};
  const struct { const char* name; RoutingItem item; const char* key; bool warning; } rows[] = {
      {"noNumber", {0, "", 0, "", {{0, 0, 0}}, 0}, "strLcrRoutingErrNumberMissing", false},
      {"duplicate", {0, "12", 0, "", {{0, 0, 0}}, 0}, "strLcrRoutingErrNumberDuplicate", false},
      {"wildcard", {0, "1x2", 0, "", {{0, 0, 0}}, 0}, "strLcrRoutingErrNumberWildcard", true},
      {"noTarget", {0, "13", 0, "", {}, 0}, "strLcrRoutingErrNoTarget", false},
      {"otherLine", {1, "12", 0, "", {{0, 0, 0}}, 0}, "", false},
  };
  for (const auto& row : rows) {
    RoutingRecord record = NewRoutingRecord(0);
    const PageApply result = StoreItem(row.item, others, kKeys, record);
    EXPECT_EQ(result.messageKey, row.key) << row.name;
    EXPECT_EQ(result.warning, row.warning) << row.name;
  }
}

// Growing profile 0 to three rules moves the rules of the higher profiles one record down.
TEST(LcrRoutingPageTest, AGrownProfileMovesTheProfilesBehindIt) {
  ConfigurationImage image = MakeDefaultImage();
  image.SetByte(13960 + 24, 3);  // the CLIP table uses profile 3
  WriteCountedString(image, layout::CountedString24(13960), "555");
  PutRecord(image, 0, Rule(0, 0, "1", {{0, 0, 0}}));
  PutRecord(image, 1, Rule(0, 0, "2", {{0, 0, 0}}));
  PutRecord(image, 2, Rule(3, 0, "3", {{1, 0, 0}}));
  LcrRoutingPage page;
  page.Load(image);
  EXPECT_EQ(page.Profiles(), (std::vector<int>{0, 3}));
  ASSERT_TRUE(page.Put(Rule(0, 1, "1", {{0, 0, 0}})).ok) << "the same number on the other line";
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(image.Byte(kRouting + 128 * 2 + 3), 'B');
  EXPECT_EQ(image.Byte(kRouting + 128 * 3), 3) << "profile 3's rule moved one record down";
  EXPECT_EQ(image.Byte(kRouting + 128 * 4), 0xFF);
}

// The 101st rule over all profiles is refused, while an edit of a full table replaces its rule.
TEST(LcrRoutingPageTest, AFullTableRefusesANewRuleButTakesAnEdit) {
  ConfigurationImage image = MakeDefaultImage();
  for (std::size_t i = 0; i < LcrRoutingPage::kCapacity; ++i) {
    PutRecord(image, i, Rule(0, 0, std::to_string(100 + i), {{0, 0, 0}}));
  }
  LcrRoutingPage page;
  page.Load(image);
  EXPECT_EQ(page.CanAdd().messageKey, "strLcrRoutingErrTableFull") << "Add says so before the dialog opens";
  const PageApply refused = page.Put(Rule(0, 1, "1", {{0, 0, 0}}));
  EXPECT_EQ(refused.messageKey, "strLcrRoutingErrTableFull");
  EXPECT_EQ(refused.args, std::vector<std::string>{"100"});
  ASSERT_TRUE(page.Put(Rule(0, 1, "1", {{1, 0, 0}}), 0).ok);
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(image.Byte(kRouting + 128 * 99 + 3), 'B') << "the edited rule is ordered last";
  EXPECT_EQ(image.Byte(kRouting + 128 * 100), 0xFF) << "nothing written past the table";
}

}  // namespace
}  // namespace tusko
