#include "config/ByteFields.h"

#include <gtest/gtest.h>

#include <optional>

namespace tusko {
namespace {

TEST(ReadSettingByteTest, UnsetShowsTheFallbackAndWritesItBackOnlyWhenAsked) {
  constexpr std::size_t kAt = 330;
  ConfigurationImage image;
  EXPECT_EQ(ReadSettingByte(image, kAt, 3, WriteBack::No), 3);
  EXPECT_EQ(image.Byte(kAt), 0xFF);
  EXPECT_EQ(ReadSettingByte(image, kAt, 3, WriteBack::Yes), 3);
  EXPECT_EQ(image.Byte(kAt), 3);
}

TEST(VolumeTest, StoresOffsetFrom128ShowingOutOfRangeAsZeroAndClampingTheLevel) {
  const struct { std::uint8_t stored; int level; } decoded[] = {
      {122, -6}, {128, 0}, {140, 12}, {121, 0} /* below range */, {141, 0} /* above range */, {255, 0}, {0, 0}};
  for (const auto& row : decoded) EXPECT_EQ(DecodeVolume(row.stored), row.level) << int{row.stored};
  const struct { int level; std::uint8_t stored; } encoded[] = {{-6, 122}, {0, 128}, {12, 140}, {-7, 122}, {40, 140}};
  for (const auto& row : encoded) EXPECT_EQ(EncodeVolume(row.level), row.stored) << row.level;
}

TEST(TimeZoneTest, WestOfUtcSetsTheHighBit) {
  const struct { std::uint8_t code; std::optional<int> hours; } decoded[] = {
      {0, 0},     {12, 12},   {129, -1},  {140, -12},
      {13, std::nullopt} /* east 13 */, {128, std::nullopt} /* minus zero */, {141, std::nullopt} /* west 13 */,
      {200, std::nullopt}, {255, std::nullopt} /* unset */};
  for (const auto& row : decoded) EXPECT_EQ(DecodeTimeZone(row.code), row.hours) << int{row.code};
  const struct { int hours; std::uint8_t code; } encoded[] = {{-5, 133}, {5, 5}, {0, 0}, {-12, 140}, {-20, 140}, {20, 12}};
  for (const auto& row : encoded) EXPECT_EQ(EncodeTimeZone(row.hours), row.code) << row.hours;
}

}  // namespace
}  // namespace tusko
