#include "config/RestoreCode.h"

#include <gtest/gtest.h>

namespace tusko {
namespace {

TEST(RestoreCodeTest, DecodesAndEncodesBothWays) {
  const struct { std::uint8_t code; RestoreSchedule schedule; } rows[] = {
      {17, {RestoreKind::DayOfMonth, 0, 17}},      {31, {RestoreKind::DayOfMonth, 0, 31}},
      {0x93, {RestoreKind::WeekdayOfMonth, 2, 3}}, {0xA7, {RestoreKind::WeekdayOfMonth, 4, 7}},
      {0x85, {RestoreKind::Weekly, 0, 5}},          {0x9D, {RestoreKind::WeekdayOfMonth, 3, 5}},
      {0x82, {RestoreKind::Weekly, 0, 2}}};
  for (const auto& row : rows) {
    EXPECT_EQ(DecodeRestoreCode(row.code), row.schedule) << int{row.code};
    EXPECT_EQ(EncodeRestoreCode(row.schedule), row.code) << int{row.code};
  }
  // Out-of-range codes still decode; encoding stays in one byte.
  EXPECT_EQ(DecodeRestoreCode(0x80), (RestoreSchedule{RestoreKind::Weekly, 0, 0}));
  EXPECT_EQ(DecodeRestoreCode(0xFF), (RestoreSchedule{RestoreKind::WeekdayOfMonth, 7, 7}));
  EXPECT_EQ(DecodeRestoreCode(0), (RestoreSchedule{RestoreKind::DayOfMonth, 0, 0}));
  EXPECT_EQ(EncodeRestoreCode({RestoreKind::WeekdayOfMonth, 31, 7}), 0xFF);
}

}  // namespace
}  // namespace tusko
