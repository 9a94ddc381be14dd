#include "config/ByteFields.h"

#include <gtest/gtest.h>

#include "support/RowName.h"

namespace tusko {
namespace {

constexpr std::size_t kAt = 330;

TEST(ReadSettingByteTest, UnsetShowsTheFallbackAndWritesItBackOnlyWhenAsked) {
  ConfigurationImage image;
  EXPECT_EQ(ReadSettingByte(image, kAt, 3, WriteBack::No), 3);
  EXPECT_EQ(image.Byte(kAt), 0xFF);
  EXPECT_EQ(ReadSettingByte(image, kAt, 3, WriteBack::Yes), 3);
  EXPECT_EQ(image.Byte(kAt), 3);
}

struct VolumeRow {
  const char* name;
  std::uint8_t stored;
  int level;
};

class VolumeDecodeTest : public ::testing::TestWithParam<VolumeRow> {};

TEST_P(VolumeDecodeTest, ShowsTheLevel) { EXPECT_EQ(DecodeVolume(GetParam().stored), GetParam().level); }

INSTANTIATE_TEST_SUITE_P(Rows, VolumeDecodeTest,
                         ::testing::Values(VolumeRow{"lowest", 122, -6}, VolumeRow{"zero", 128, 0},
                                           VolumeRow{"highest", 140, 12}, VolumeRow{"belowRange", 121, 0},
                                           VolumeRow{"aboveRange", 141, 0},
                                           VolumeRow{"unset", 255, 0}, VolumeRow{"nought", 0, 0}),
                         test::RowName<VolumeRow>);

TEST(VolumeEncodeTest, StoresOffsetFrom128AndClampsTheLevel) {
  EXPECT_EQ(EncodeVolume(-6), 122);
  EXPECT_EQ(EncodeVolume(0), 128);
  EXPECT_EQ(EncodeVolume(12), 140);
  EXPECT_EQ(EncodeVolume(-7), 122);
  EXPECT_EQ(EncodeVolume(40), 140);
}

struct TimeZoneRow {
  const char* name;
  std::uint8_t code;
  std::optional<int> hours;
};

class TimeZoneDecodeTest : public ::testing::TestWithParam<TimeZoneRow> {};

TEST_P(TimeZoneDecodeTest, ReadsSignAndMagnitude) { EXPECT_EQ(DecodeTimeZone(GetParam().code), GetParam().hours); }

INSTANTIATE_TEST_SUITE_P(Rows, TimeZoneDecodeTest,
                         ::testing::Values(TimeZoneRow{"utc", 0, 0},
                                           TimeZoneRow{"east12", 12, 12}, TimeZoneRow{"west1", 129, -1},
                                           TimeZoneRow{"west12", 140, -12},
                                           TimeZoneRow{"east13", 13, std::nullopt},
                                           TimeZoneRow{"minusZero", 128, std::nullopt},
                                           TimeZoneRow{"west13", 141, std::nullopt},
                                           TimeZoneRow{"stored200", 200, std::nullopt},
                                           TimeZoneRow{"unset", 255, std::nullopt}),
                         test::RowName<TimeZoneRow>);

TEST(TimeZoneEncodeTest, WestOfUtcSetsTheHighBit) {
  EXPECT_EQ(EncodeTimeZone(-5), 133);
  EXPECT_EQ(EncodeTimeZone(5), 5);
  EXPECT_EQ(EncodeTimeZone(0), 0);
  EXPECT_EQ(EncodeTimeZone(-12), 140);
  EXPECT_EQ(EncodeTimeZone(-20), 140);
  EXPECT_EQ(EncodeTimeZone(20), 12);
}

}  // namespace
}  // namespace tusko
