#include "config/CreditRecord.h"

#include <gtest/gtest.h>

#include "ImageBytes.h"

namespace tusko {
namespace {

using test::Bytes;
using test::Join;
using test::Repeat;
using test::Slice;

constexpr std::uint8_t FF = 0xFF;

TEST(RestoreCodeTest, DecodesAndEncodesBothWays) {
  const struct { std::uint8_t code; RestoreSchedule schedule; } rows[] = {
      {17, {RestoreKind::DayOfMonth, 0, 17}},      {31, {RestoreKind::DayOfMonth, 0, 31}},
      {0x93, {RestoreKind::WeekdayOfMonth, 2, 3}}, {0xA7, {RestoreKind::WeekdayOfMonth, 4, 7}},
      {0x85, {RestoreKind::Weekly, 0, 5}}};
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

TEST(CreditRecordTest, IsdnLinkCreditsAreSecondsFromTheRecordStartCutWhenShown) {
  ConfigurationImage image;
  CreditRecord record(image, layout::isdnCredit::Record(1));
  record.SetCreditMinutes(CreditCounter::Credit1, 120);
  record.SetCreditMinutes(CreditCounter::Credit3, 1);
  record.SetOldCreditMinutes(CreditCounter::Credit2, 2);
  EXPECT_EQ(image.Word32(29108), 7200u);
  EXPECT_EQ(image.Word32(29116), 60u);
  EXPECT_EQ(image.Word32(29108 + 28), 120u);
  EXPECT_EQ(record.CreditMinutes(CreditCounter::Credit1), 120u);
  EXPECT_EQ(record.OldCreditMinutes(CreditCounter::Credit2), 2u);
  image.SetWord32(29012, 119);
  EXPECT_EQ(CreditRecord(image, layout::isdnCredit::Record(0)).CreditMinutes(CreditCounter::Credit1), 1u);
  EXPECT_EQ(SecondsFromMinutes(44640), 2678400u);
  EXPECT_EQ(SecondsFromMinutes(0xFFFFFFFF), 0xFFFFFFFFu) << "saturates instead of wrapping";
}

TEST(CreditRecordTest, GsmModuleCreditPartStartsAtByte12) {
  ConfigurationImage image;
  CreditRecord record(image, layout::gsmModule::Credit(1));
  const std::size_t module = 1032;
  record.SetCreditMinutes(CreditCounter::Credit2, 3);
  record.SetOldCreditMinutes(CreditCounter::Credit3, 4);
  record.SetFirstCount(CreditCounter::Credit1, 9);
  record.SetNextCount(CreditCounter::Credit3, 8);
  record.SetBlocksWhenUsedUp(CreditCounter::Credit2, false);
  record.SetRestore({RestoreKind::Weekly, 0, 2});
  EXPECT_EQ(image.Word32(module + 16), 180u);
  EXPECT_EQ(image.Word32(module + 44), 240u);
  EXPECT_EQ(image.Byte(module + 60), 9);
  EXPECT_EQ(image.Byte(module + 68), 8);
  EXPECT_EQ(image.Byte(module + 73), 0);
  EXPECT_EQ(image.Byte(module + 78), 0x82);
  EXPECT_EQ(image.Byte(module + 79), FF);
}

TEST(CreditRecordTest, BlockingIsShownForAnyByteAbove254) {
  ConfigurationImage image;
  CreditRecord record(image, layout::isdnCredit::Record(0));
  image.SetByte(29012 + 60, 254);
  EXPECT_FALSE(record.BlocksWhenUsedUp(CreditCounter::Credit1));
  record.SetBlocksWhenUsedUp(CreditCounter::Credit1, true);
  EXPECT_EQ(image.Byte(29012 + 60), 255);
  EXPECT_TRUE(record.BlocksWhenUsedUp(CreditCounter::Credit1));
}

const Bytes kCreditDefaults = Join({Repeat(48, 0), Repeat(12, 1), Repeat(6, FF), {1}});

TEST(CreditRecordTest, UnsetIsdnRestoreCodeResetsTheWholeRecord) {
  ConfigurationImage image;
  image.Fill(29108, 96, 0x55);
  image.SetByte(29108 + 66, FF);
  EXPECT_TRUE(MendIsdnLinkCredit(image, 1));
  EXPECT_EQ(Slice(image, 29108, 67), kCreditDefaults);
  EXPECT_EQ(Slice(image, 29108 + 67, 29), Repeat(29, 0x55));  // the reserved tail is kept
  EXPECT_EQ(Slice(image, 29012, 96), Repeat(96, FF));        // the other link is untouched

  const CreditRecord record(image, layout::isdnCredit::Record(1));
  EXPECT_EQ(record.Restore(), (RestoreSchedule{RestoreKind::DayOfMonth, 0, 1}));
  EXPECT_TRUE(record.BlocksWhenUsedUp(CreditCounter::Credit3));
  EXPECT_EQ(record.FirstCount(CreditCounter::Credit2), 1);
}

TEST(CreditRecordTest, SetRestoreCodeIsLeftAlone) {
  ConfigurationImage image;
  image.Fill(29012, 96, 0x55);
  const ConfigurationImage before = image;
  EXPECT_FALSE(MendIsdnLinkCredit(image, 0));
  EXPECT_FALSE(MendIsdnLinkCredit(image, 2));  // there is no third link
  EXPECT_EQ(image, before);
}

TEST(CreditAlarmLimitTest, UnsetWordsShowAsZero) {
  ConfigurationImage image;
  EXPECT_EQ(ReadCreditAlarmLimitMinutes(image), 0u);
  image.SetWord32(360, 0xFFFFFFFE);
  EXPECT_EQ(ReadCreditAlarmLimitMinutes(image), 0u);
  image.SetWord32(360, 0xFFFFFFFD);
  EXPECT_EQ(ReadCreditAlarmLimitMinutes(image), 0xFFFFFFFDu / 60);
  WriteCreditAlarmLimitMinutes(image, 90);
  EXPECT_EQ(image.Word32(360), 5400u);
  EXPECT_EQ(ReadCreditAlarmLimitMinutes(image), 90u);
}

}  // namespace
}  // namespace tusko
