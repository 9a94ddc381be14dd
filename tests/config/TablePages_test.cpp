#include <gtest/gtest.h>

#include "ImageBytes.h"
#include "config/ClipFromGsmPage.h"
#include "config/MobilityPage.h"
#include "config/WorkingHoursPage.h"
#include "support/RowName.h"

namespace tusko {
namespace {

const TextLookup kEnglishShort = [](std::string_view key) {
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
  MobilityPage page(kEnglishShort);
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
  WorkingHoursPage page(kEnglishShort);
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
  WorkingHoursPage page(kEnglishShort);
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

}  // namespace
}  // namespace tusko
