#include "config/VolumeCode.h"

#include <gtest/gtest.h>

namespace tusko {
namespace {

TEST(VolumeTest, StoresOffsetFrom128ShowingOutOfRangeAsZeroAndClampingTheLevel) {
  const struct { std::uint8_t stored; int level; } decoded[] = {
      {122, -6}, {128, 0}, {140, 12}, {121, 0} /* below range */, {141, 0} /* above range */, {255, 0}, {0, 0}};
  for (const auto& row : decoded) EXPECT_EQ(DecodeVolume(row.stored), row.level) << int{row.stored};
  const struct { int level; std::uint8_t stored; } encoded[] = {{-6, 122}, {0, 128}, {12, 140}, {-7, 122}, {40, 140}};
  for (const auto& row : encoded) EXPECT_EQ(EncodeVolume(row.level), row.stored) << row.level;
}

}  // namespace
}  // namespace tusko
