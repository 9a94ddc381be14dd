// The pages that edit a list of entries over a table of the image: what each refuses, in what order it
// shows its entries, and the bytes it leaves.
#include <gtest/gtest.h>

#include "ImageBytes.h"
#include "config/CellSelectionPage.h"
#include "config/ClipFromGsmPage.h"
#include "config/LcrClipPage.h"
#include "config/LcrRoutingPage.h"
#include "config/MobilityPage.h"
#include "config/TextFields.h"
#include "config/WorkingHoursPage.h"
#include "support/RowName.h"

namespace tusko {
namespace {

constexpr std::size_t kRouting = 1160;
constexpr std::size_t kClip = 13960;
constexpr std::size_t kCellSection = 21672;

// Texts that are their keys but for the two the pages format with.
const TextLookup kTexts = [](std::string_view key) {
  if (key == "strMobilityExtDuringWHShort") return std::string("WH");
  if (key == "strWorkingHoursDateFormat") return std::string("dd/MM");
  return std::string(key);
};

template <typename Result>
std::string KeyOf(const Result& result) {
  return std::holds_alternative<PageApply>(result) ? std::get<PageApply>(result).messageKey : "";
}

TEST(ClipFromGsmPageTest, KeepsTextOrderAndRefusesAMisplacedWildcardAsAWarning) {
  ConfigurationImage image = MakeDefaultImage();
  ClipFromGsmPage page;
  page.Load(image);
  EXPECT_EQ(KeyOf(page.Add("")), "strClipFromGsmErrNumberMissing");
  const auto wildcard = page.Add("12x3");
  EXPECT_EQ(KeyOf(wildcard), "strClipFromGsmErrNumberWildcard");
  EXPECT_TRUE(std::get<PageApply>(wildcard).warning);
  EXPECT_EQ(KeyOf(page.Add("123x")), "");
  EXPECT_EQ(KeyOf(page.Add("0049")), "");
  EXPECT_EQ(KeyOf(page.Add("123x")), "strClipFromGsmErrNumberDuplicate");
  EXPECT_EQ(page.numbers(), (std::vector<std::string>{"0049", "123x"}));
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(test::Slice(image, 17560, 6), (test::Bytes{4, '0', '0', '4', '9', 0xFF}));
  EXPECT_EQ(test::Slice(image, 17560 + 36, 5), (test::Bytes{4, '1', '2', '3', 'x'}));
}

TEST(MobilityPageTest, RingNumbersShowTheirConditionAndTheSameExtensionMayStandOnBothLines) {
  ConfigurationImage image = MakeDefaultImage();
  MobilityPage page(kTexts);
  page.Load(image);
  using Rings = std::array<RingNumber, 3>;
  EXPECT_EQ(KeyOf(page.Add(0, "", Rings{})), "strMobilityExtExtensionMissing");
  EXPECT_EQ(KeyOf(page.Add(0, "21", Rings{})), "strMobilityExtNumbersMissing");
  const Rings rings{{{"100", RingCondition::Always}, {"", RingCondition::Always},
                     {"200", RingCondition::DuringWorkingHours}}};
  EXPECT_EQ(KeyOf(page.Add(1, "21", rings)), "");
  EXPECT_EQ(KeyOf(page.Add(0, "21", rings)), "") << "the same extension on the other line";
  const auto duplicate = page.Add(0, "21", rings);
  EXPECT_EQ(KeyOf(duplicate), "strMobilityExtExtensionDuplicate");
  EXPECT_EQ(std::get<PageApply>(duplicate).args, (std::vector<std::string>{"21", "strIsdnLink1"}));
  EXPECT_EQ(page.RingNumbersText(page.entries()[0]), "100, 200-WH");
  ASSERT_TRUE(page.Apply(image).ok);
  const std::size_t first = 23372;  // line A comes first
  EXPECT_EQ(image.Byte(first), 'A');
  EXPECT_EQ(test::Slice(image, first + 28, 4), (test::Bytes{3, '1', '0', '0'}));
  EXPECT_EQ(image.Byte(first + 51), 255);
  EXPECT_EQ(test::Slice(image, first + 52, 4), (test::Bytes{3, '2', '0', '0'}));
  EXPECT_EQ(image.Byte(first + 75), 1);
  EXPECT_EQ(image.Byte(first + 100), 'B');
}

struct DayRow {
  const char* name;
  WorkingHoursPage::Day times;  // minutes after midnight
  bool accepted;
  test::Bytes stored;  // the day's 16 bytes of slots when accepted (hour, minute, two reserved)
};

class WorkingDayTest : public testing::TestWithParam<DayRow> {};

TEST_P(WorkingDayTest, RisingTimesAreStored) {
  const DayRow& row = GetParam();
  ConfigurationImage image = MakeDefaultImage();
  WorkingHoursPage page(kTexts);
  page.Load(image);
  page.SetDay(2, row.times);  // Wednesday
  const PageApply result = page.Apply(image);
  EXPECT_EQ(result.ok, row.accepted);
  if (row.accepted) {
    EXPECT_EQ(test::Slice(image, 28628 + 64, 16), row.stored);
  } else {
    EXPECT_EQ(result.focusField, WorkingHoursPage::DayField(2));
  }
}

constexpr int H(int hour, int minute = 0) { return hour * 60 + minute; }
constexpr std::uint8_t FF = 0xFF;

INSTANTIATE_TEST_SUITE_P(
    Rows, WorkingDayTest,
    testing::Values(DayRow{"twoIntervals", {H(8), H(12), H(13), H(17)}, true,
                           {8, 0, FF, FF, 12, 0, FF, FF, 13, 0, FF, FF, 17, 0, FF, FF}},
                    DayRow{"overlapping", {H(8), H(12), H(11), H(17)}, false, {}},
                    DayRow{"emptyInterval", {H(8), H(8), 0, 0}, false, {}},
                    DayRow{"notInUse", {0, 0, 0, 0}, true, test::Repeat(16, FF) /* reserved bytes stay */}),
    test::RowName<DayRow>);

TEST(WorkingHoursPageTest, HolidaysAreOrderedDuplicatesRefusedAndTheFortyFirstIgnored) {
  ConfigurationImage image = MakeDefaultImage();
  WorkingHoursPage page(kTexts);
  page.Load(image);
  EXPECT_EQ(KeyOf(page.AddHoliday({25, 12})), "");
  EXPECT_EQ(KeyOf(page.AddHoliday({1, 5})), "");
  EXPECT_EQ(KeyOf(page.AddHoliday({25, 12})), "strWorkingHoursErrHolidayDuplicate");
  EXPECT_EQ(page.HolidayText(page.holidays()[0]), "01/05");
  for (int day = 1; page.holidays().size() < WorkingHoursPage::kMaxHolidays; ++day) page.AddHoliday({day, 1});
  EXPECT_EQ(KeyOf(page.AddHoliday({2, 2})), "");
  EXPECT_EQ(page.holidays().size(), 40u);
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(test::Slice(image, 28852, 2), (test::Bytes{1, 1}));
  EXPECT_EQ(test::Slice(image, 28852 + 4 * 39, 2), (test::Bytes{25, 12}));
}

TEST(CellSelectionPageTest, CellsArePaddedCheckedInOrderAndStored) {
  ConfigurationImage image = MakeDefaultImage();
  CellSelectionPage page;
  page.Load(image);
  EXPECT_TRUE(page.cells().empty());
  const struct { Cell typed; const char* key; } refusals[] = {
      {{{"", "2", "A", "1F"}}, "strGsmCellSelMccMissing"},   {{{"1", "", "A", "1F"}}, "strGsmCellSelMncMissing"},
      {{{"1", "2", "", "1F"}}, "strGsmCellSelLacMissing"},   {{{"1", "2", "A", ""}}, "strGsmCellSelCellIdMissing"},
      {{{"1", "2", "G", "1F"}}, "strDataTextCharacters"}};
  for (const auto& row : refusals) EXPECT_EQ(KeyOf(page.Add(row.typed)), row.key) << row.key;
  EXPECT_EQ(std::get<std::size_t>(page.Add({{"1", "2", "A", "1F"}})), 0u);
  EXPECT_EQ(KeyOf(page.Add({{"001", "02", "000A", "001F"}})), "strGsmCellSelDuplicate");
  EXPECT_EQ(std::get<std::size_t>(page.Change(0, {{"1", "2", "A", "1F"}})), 0u) << "itself is no duplicate";
  for (int c = 1; c < 16; ++c) ASSERT_EQ(KeyOf(page.Add({{"1", "2", "A", std::to_string(c)}})), "");
  EXPECT_EQ(KeyOf(page.Add({{"9", "9", "9", "9"}})), "") << "a 17th cell is ignored";
  EXPECT_EQ(page.cells().size(), 16u);
  page.SetAction(2);
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(test::Slice(image, kCellSection, 2), (test::Bytes{2, 16}));
  EXPECT_EQ(test::Slice(image, kCellSection + 4, 14), test::TextBytes(std::string("001\xFF" "02000A001F", 14)));
}

TEST(CellSelectionPageTest, AnEmptyListWithoutActionIsStoredAsUnset) {
  ConfigurationImage image = MakeDefaultImage();
  CellSelectionPage page;
  page.Load(image);
  ASSERT_EQ(KeyOf(page.Add({{"262", "01", "00A1", "1F2B"}})), "");
  ASSERT_TRUE(page.Apply(image).ok);
  page.Delete(0);
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(test::Slice(image, kCellSection, 260), test::Repeat(260, 0xFF));
}

TEST(CellSelectionPageTest, AnAnswersCellIsListedUnlessAllItsFieldsAreEmptyOrZero) {
  EXPECT_EQ(CellFromAnswer(std::string("262" "01" "00A1" "1F2B")), (Cell{{"262", "01", "00A1", "1F2B"}}));
  EXPECT_EQ(CellFromAnswer(std::string("26\0" "1\0" "A\0\0\0" "0000", 13)), (Cell{{"026", "01", "000A", "0000"}}));
  EXPECT_EQ(CellFromAnswer(std::string("000" "00" "0000" "0000")), std::nullopt);
}

void PutClip(ConfigurationImage& image, std::size_t index, std::string_view number, std::uint8_t profile) {
  WriteCountedString(image, layout::CountedString24(kClip + 36 * index), number);
  image.SetByte(kClip + 36 * index + 24, profile);
}

void PutRule(ConfigurationImage& image, std::size_t index, std::uint8_t profile, std::string_view number) {
  image.SetByte(kRouting + 128 * index, profile);
  WriteCountedString(image, layout::CountedString24(kRouting + 128 * index + 4), number);
}

TEST(LcrClipPageTest, ShowsTheEntriesByProfileThenNumberAndRefusesInOrder) {
  ConfigurationImage image = MakeDefaultImage();
  PutClip(image, 0, "555", 9);
  PutClip(image, 1, "", 3);  // no number: skipped
  PutClip(image, 2, "444", 9);
  PutClip(image, 3, "777", 2);
  PutClip(image, 5, "888", 1);  // behind the end of the table
  LcrClipPage page;
  page.Load(image);
  EXPECT_EQ(page.entries(), (std::vector<ClipEntry>{{"777", 2}, {"444", 9}, {"555", 9}}));

  EXPECT_EQ(KeyOf(page.Add({"", 5})), "strLcrClipTabErrNumberMissing");
  EXPECT_EQ(KeyOf(page.Add({"12", 0})), "strLcrClipTabErrProfileMissing");
  EXPECT_EQ(KeyOf(page.Add({"444", 5})), "strLcrClipTabErrNumberDuplicate");
  const auto wildcard = page.Add({"12x3", 5});
  EXPECT_EQ(KeyOf(wildcard), "strLcrClipTabErrNumberWildcard");
  EXPECT_TRUE(std::get<PageApply>(wildcard).warning);
  EXPECT_EQ(std::get<std::size_t>(page.Add({"123x", 5})), 1u);
  EXPECT_EQ(std::get<std::size_t>(page.Change(0, {"777", 10})), 3u) << "a changed profile moves the entry";

  ConfigurationImage unchanged = image;
  LcrClipPage again;
  again.Load(unchanged);
  ASSERT_TRUE(again.Apply(unchanged).ok);
  EXPECT_EQ(unchanged, image) << "an unchanged list is not rewritten";
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(test::Slice(image, kClip, 5), (test::Bytes{4, '1', '2', '3', 'x'}));
  EXPECT_EQ(image.Byte(kClip + 36 * 4), 0xFF);
}

// Deleting profile 7's last entry asks first, then removes its routing rules and closes the gap.
TEST(LcrClipPageTest, DeletingAProfilesLastEntryRemovesItsRoutingRules) {
  ConfigurationImage image = MakeDefaultImage();
  PutClip(image, 0, "11", 7);
  PutClip(image, 1, "22", 8);
  PutClip(image, 2, "33", 8);
  PutRule(image, 0, 0, "0");
  PutRule(image, 1, 7, "1");
  PutRule(image, 2, 7, "2");
  PutRule(image, 3, 8, "3");
  LcrClipPage page;
  page.Load(image);
  EXPECT_EQ(page.DeleteNeedsQuestion(1, image), std::nullopt) << "profile 8 stays in use";
  EXPECT_EQ(page.DeleteNeedsQuestion(0, image), 7);
  page.Delete(0, image);
  EXPECT_FALSE(HasRoutingRules(image, 7));
  EXPECT_EQ(image.Byte(kRouting + 128), 8) << "profile 8's rule moved up";
  EXPECT_EQ(test::Slice(image, kRouting + 128 * 2, 128), test::Repeat(128, 0xFF));
}

RoutingRecord Rule(int profile, int line, std::string_view number, std::vector<RoutingTarget> targets) {
  RoutingRecord record = NewRoutingRecord(profile);
  const RoutingItem item{line, std::string(number), 0, "", std::move(targets), 0};
  EXPECT_TRUE(StoreItem(item, {}, kTexts, record).ok);
  return record;
}

void PutRecord(ConfigurationImage& image, std::size_t index, const RoutingRecord& record) {
  image.Store(kRouting + 128 * index, record);
}

TEST(RoutingRuleTest, TargetsShowTheirGroupAocAndCredit) {
  const RoutingRecord record = Rule(0, 0, "0", {{1, 5, 1}, {kIsdnLink1Target, 0, kNoCreditCounter}});
  EXPECT_EQ(TargetsText(record, kTexts), "G2(5,2), strIsdnLinkShort1(n)");
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
    const PageApply result = StoreItem(row.item, others, kTexts, record);
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
