#include "config/CellSelectionPage.h"

#include <gtest/gtest.h>

#include "ImageBytes.h"

namespace tusko {
namespace {

constexpr std::size_t kSection = 21672;

std::string KeyOf(const std::variant<std::size_t, PageApply>& result) {
  return std::holds_alternative<PageApply>(result) ? std::get<PageApply>(result).messageKey : "";
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
  EXPECT_EQ(test::Slice(image, kSection, 2), (test::Bytes{2, 16}));
  EXPECT_EQ(test::Slice(image, kSection + 4, 14), test::TextBytes(std::string("001\xFF" "02000A001F", 14)));
}

TEST(CellSelectionPageTest, AnEmptyListWithoutActionIsStoredAsUnset) {
  ConfigurationImage image = MakeDefaultImage();
  CellSelectionPage page;
  page.Load(image);
  ASSERT_EQ(KeyOf(page.Add({{"262", "01", "00A1", "1F2B"}})), "");
  ASSERT_TRUE(page.Apply(image).ok);
  page.Delete(0);
  ASSERT_TRUE(page.Apply(image).ok);
  EXPECT_EQ(test::Slice(image, kSection, 260), test::Repeat(260, 0xFF));
}

TEST(CellSelectionPageTest, AnAnswersCellIsListedUnlessAllItsFieldsAreEmptyOrZero) {
  EXPECT_EQ(CellFromAnswer(std::string("262" "01" "00A1" "1F2B")), (Cell{{"262", "01", "00A1", "1F2B"}}));
  EXPECT_EQ(CellFromAnswer(std::string("26\0" "1\0" "A\0\0\0" "0000", 13)), (Cell{{"026", "01", "000A", "0000"}}));
  EXPECT_EQ(CellFromAnswer(std::string("000" "00" "0000" "0000")), std::nullopt);
}

}  // namespace
}  // namespace tusko
