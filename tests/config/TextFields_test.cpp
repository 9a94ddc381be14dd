#include "config/TextFields.h"

#include <gtest/gtest.h>

#include <string>

#include "ImageBytes.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using test::Bytes;
using test::Join;
using test::Put;
using test::Repeat;
using test::Slice;
using test::TextBytes;

constexpr std::uint8_t FF = 0xFF;
constexpr std::size_t kAt = 1000;  // any place inside the image

struct CountedReadRow {
  const char* name;
  std::size_t width;
  Bytes stored;
  std::string shown;
  std::uint8_t lengthAfter;  // the length byte after reading
};

class CountedStringReadTest : public ::testing::TestWithParam<CountedReadRow> {};

TEST_P(CountedStringReadTest, ShowsAndMendsTheLength) {
  const auto& row = GetParam();
  ConfigurationImage image;
  Put(image, kAt, row.stored);
  const layout::CountedStringAt field{kAt, row.width};
  EXPECT_EQ(ReadCountedString(image, field), row.shown);
  EXPECT_EQ(image.Byte(kAt), row.lengthAfter);
  // Nothing but the length byte is ever written back.
  EXPECT_EQ(Slice(image, kAt + 1, row.width - 1), Bytes(row.stored.begin() + 1, row.stored.begin() + static_cast<long>(row.width)));
}

const Bytes kLetters = TextBytes("ABCDEFGHIJKLMNOPQRSTUVWXYZ");

Bytes Counted(std::uint8_t length, std::size_t width) {
  return Join({{length}, Bytes(kLetters.begin(), kLetters.begin() + static_cast<long>(width - 1))});
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CountedStringReadTest,
    ::testing::Values(CountedReadRow{"empty24", 24, Counted(0, 24), "", 0},
                      CountedReadRow{"unset24", 24, Counted(255, 24), "", 255},
                      CountedReadRow{"three24", 24, Counted(3, 24), "ABC", 3},
                      CountedReadRow{"full24", 24, Counted(23, 24), "ABCDEFGHIJKLMNOPQRSTUVW", 23},
                      CountedReadRow{"length30Cut24", 24, Counted(30, 24), "ABCDEFGHIJKLMNOPQRSTUVW", 23},
                      CountedReadRow{"length12Cut12", 12, Counted(12, 12), "ABCDEFGHIJK", 11},
                      CountedReadRow{"unset12", 12, Counted(255, 12), "", 255}),
    test::RowName<CountedReadRow>);

TEST(CountedStringWriteTest, FillsTheFieldThenStoresLengthAndCharactersCutAtTheMaximum) {
  ConfigurationImage image;
  image.Fill(kAt - 1, 26, 0x11);
  WriteCountedString(image, layout::CountedString24(kAt), "0049");
  EXPECT_EQ(Slice(image, kAt - 1, 26), Join({{0x11, 4}, TextBytes("0049"), Repeat(19, FF), {0x11}}));
  image.Fill(kAt, 13, 0);
  WriteCountedString(image, layout::CountedString12(kAt), "+49123456789012");
  EXPECT_EQ(Slice(image, kAt, 13), Join({{11}, TextBytes("+4912345678"), {0}}));
  EXPECT_EQ(ReadCountedString(image, layout::CountedString12(kAt)), "+4912345678");
}

TEST(CountedStringWriteTest, AMobilityRingNumberKeepsItsConditionByte) {
  ConfigurationImage image;
  const std::size_t record = layout::mobility::kTable.RecordOffset(0);
  image.SetByte(layout::mobility::RingCondition(record, 1), layout::mobility::kDuringWorkingHours);
  WriteCountedString(image, layout::mobility::RingNumber(record, 1), "01234567890123456789012345");
  EXPECT_EQ(image.Byte(layout::mobility::RingCondition(record, 1)), layout::mobility::kDuringWorkingHours);
  EXPECT_EQ(ReadCountedString(image, layout::mobility::RingNumber(record, 1)), "0123456789012345678901");
}

constexpr layout::CountedTextAt kName = layout::general::kDeviceName;

TEST(CountedTextTest, UnsetLengthIsWrittenBackAsZeroButOneAboveCapacityIsKept) {
  ConfigurationImage image;
  EXPECT_EQ(ReadCountedText(image, kName), "");
  EXPECT_EQ(image.Byte(6), 0);
  Put(image, 6, Join({{200}, Repeat(32, 'n'), TextBytes("LAN")}));
  EXPECT_EQ(ReadCountedText(image, kName), std::string(31, 'n'));
  EXPECT_EQ(image.Byte(6), 200);  // not ours to change until the user edits it
}

TEST(CountedTextTest, WriteFillsTheAreaAndCutsAtCapacity) {
  ConfigurationImage image;
  image.Fill(6, 34, 0);
  WriteCountedText(image, kName, std::string(40, 'z'));
  EXPECT_EQ(Slice(image, 6, 34), Join({{31}, Repeat(31, 'z'), {FF}, {0}}));
  WriteCountedText(image, kName, "Tusko");
  EXPECT_EQ(Slice(image, 6, 34), Join({{5}, TextBytes("Tusko"), Repeat(27, FF), {0}}));
}

constexpr layout::TerminatedTextAt kUser{21512};  // the SMTP user

TEST(TerminatedTextTest, ReadsUpToTheTerminatorOrAtMost39Characters) {
  ConfigurationImage image;
  EXPECT_EQ(ReadTerminatedText(image, kUser), "");
  EXPECT_EQ(image.Byte(kUser.offset), 0) << "an unset first byte is written back as zero";
  EXPECT_EQ(image.Byte(kUser.offset + 1), FF);
  Put(image, kUser.offset, Join({TextBytes("admin"), {0}, TextBytes("old")}));
  EXPECT_EQ(ReadTerminatedText(image, kUser), "admin");
  Put(image, kUser.offset, Repeat(60, 'u'));
  EXPECT_EQ(ReadTerminatedText(image, kUser), std::string(39, 'u'));
}

TEST(TerminatedTextTest, WriteKeepsTheBytesAfterTheTerminator) {
  ConfigurationImage image;
  Put(image, kUser.offset, Repeat(40, 'o'));
  WriteTerminatedText(image, kUser, "new");
  EXPECT_EQ(Slice(image, kUser.offset, 6), Join({TextBytes("new"), {0}, TextBytes("oo")}));
  WriteTerminatedText(image, kUser, std::string(50, 'w'));
  EXPECT_EQ(Slice(image, kUser.offset, 41), Join({Repeat(39, 'w'), {0}, {FF}}));
}

TEST(DigitsTest, ReadStopsAtTheFirstNonDigitAndWriteFillsWithUnset) {
  ConfigurationImage image;
  const layout::DigitsAt pin{904 + 128 + 4, 8};  // the second module's SIM PIN
  EXPECT_EQ(ReadDigits(image, pin), "");
  Put(image, pin.offset, Join({TextBytes("1234"), Repeat(4, FF), TextBytes("99")}));
  EXPECT_EQ(ReadDigits(image, pin), "1234");
  Put(image, pin.offset, TextBytes("12345678"));
  EXPECT_EQ(ReadDigits(image, pin), "12345678");  // the next byte is the credit part
  const layout::DigitsAt first{904 + 4, 8};
  image.Fill(first.offset, 9, 0);
  WriteDigits(image, first, "0000");
  EXPECT_EQ(Slice(image, first.offset, 9), Join({TextBytes("0000"), Repeat(4, FF), {0}}));
  WriteDigits(image, first, "1234567890");
  EXPECT_EQ(Slice(image, first.offset, 9), Join({TextBytes("12345678"), {0}}));
}

}  // namespace
}  // namespace tusko
