#include "config/LcrClipPage.h"

#include <gtest/gtest.h>

#include "ImageBytes.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

constexpr std::size_t kClip = 13960;
constexpr std::size_t kRouting = 1160;

void PutClip(ConfigurationImage& image, std::size_t index, std::string_view number, std::uint8_t profile) {
  WriteCountedString(image, layout::CountedString24(kClip + 36 * index), number);
  image.SetByte(kClip + 36 * index + 24, profile);
}

void PutRule(ConfigurationImage& image, std::size_t index, std::uint8_t profile, std::string_view number) {
  image.SetByte(kRouting + 128 * index, profile);
  WriteCountedString(image, layout::CountedString24(kRouting + 128 * index + 4), number);
}

std::size_t IndexOf(const std::variant<std::size_t, PageApply>& result) { return std::get<std::size_t>(result); }
std::string KeyOf(const std::variant<std::size_t, PageApply>& result) { return std::get<PageApply>(result).messageKey; }

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
  EXPECT_EQ(IndexOf(page.Add({"123x", 5})), 1u);
  EXPECT_EQ(IndexOf(page.Change(0, {"777", 10})), 3u) << "a changed profile moves the entry";

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

}  // namespace
}  // namespace tusko
