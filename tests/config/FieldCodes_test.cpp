// How single fields are coded in the image's bytes: server addresses, address and port digits, the
// credit restore code, the volume, and texts counted, terminated or of digits.
#include <gtest/gtest.h>

#include <string>

#include "ImageBytes.h"
#include "config/AddressFields.h"
#include "config/RestoreCode.h"
#include "config/ServerField.h"
#include "config/TextFields.h"
#include "config/VolumeCode.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using test::Bytes;
using test::Join;
using test::Put;
using test::Repeat;
using test::Slice;
using test::TextBytes;

constexpr layout::ServerFieldAt kField{21352};  // the alarm server

// The field's text up to its terminator.
std::string Stored(const ConfigurationImage& image) {
  std::string text = image.Text(kField.offset, 40);
  return text.substr(0, text.find('\0'));
}

struct WriteRow {
  const char* name;
  const char* address;
  std::uint16_t port;
  ServerWriteResult result;
  const char* stored;
};

const WriteRow kWriteRows[] = {
    {"numeric", "10.0.0.1", 80, ServerWriteResult::Numeric, "N010000000001P80"},
    {"hostName", "smtpserver", 25, ServerWriteResult::HostName, "Ssmtpserver:25"},
    {"threePieces", "10.0.0", 80, ServerWriteResult::HostName, "S10.0.0:80"},
    {"spacesSeparate", "10 0 0 1", 80, ServerWriteResult::Numeric, "N010000000001P80"},
    {"trailingLettersIgnored", "12a.0.0.1", 80, ServerWriteResult::Numeric, "N012000000001P80"},
    {"zeroMustBeZeros", "0a.0.0.1", 80, ServerWriteResult::HostName, "S0a.0.0.1:80"},
    {"hugePiece", "99999999999.0.0.1", 80, ServerWriteResult::HostName, "S99999999999.0.0.1:80"},
    {"longestName", "abcdefghijklmnopqrstuvwxyz01234", 65535, ServerWriteResult::HostName, "Sabcdefghijklmnopqrstuvwxyz01234:65535"},
    {"noAddress", "", 80, ServerWriteResult::NoServer, ""},
    {"noPort", "10.0.0.1", 0, ServerWriteResult::PortMissing, ""},
    {"nameTooLong", "abcdefghijklmnopqrstuvwxyz0123456789", 80, ServerWriteResult::DoesNotFit, ""}};

TEST(ServerFieldWriteTest, StoresNumericOrHostName) {
  for (const auto& row : kWriteRows) {
    ConfigurationImage image;
    Put(image, kField.offset, TextBytes("Sold.example:1"));
    EXPECT_EQ(WriteServerField(image, kField, row.address, row.port), row.result) << row.name;
    EXPECT_EQ(Stored(image), row.stored) << row.name;
  }
}

TEST(ServerFieldWriteTest, ClearingLeavesTheRestOfTheFieldAndNulIsRefused) {
  ConfigurationImage image;
  Put(image, kField.offset, TextBytes("N010000000001P80"));
  WriteServerField(image, kField, "", 80);
  EXPECT_EQ(Slice(image, kField.offset, 4), Join({{0}, TextBytes("010")}));
  EXPECT_EQ(WriteServerField(image, kField, std::string("ab\0cd", 5), 80), ServerWriteResult::DoesNotFit);
  EXPECT_EQ(ReadServerField(image, kField), ServerAddress{});
}

struct ReadRow {
  const char* name;
  Bytes stored;
  ServerAddress shown;
};

Bytes Terminated(const char* text) { return Join({TextBytes(text), {0}}); }

const ReadRow kReadRows[] = {
    {"numeric", Terminated("N192168000005P4000"), {ServerKind::Numeric, "192.168.0.5", 4000}},
    {"hostName", Terminated("Ssmtpserver:25"), {ServerKind::HostName, "smtpserver", 25}},
    {"noPAtIndex13", Terminated("N192168001001X80"), {}},
    {"tooShortForP", Terminated("N1921680010"), {}},
    {"hostWithoutColon", Terminated("Ssmtpserver"), {}},
    {"emptyHostName", Terminated("S:25"), {ServerKind::HostName, "", 25}},
    {"firstColonSplits", Terminated("Sa:b:25"), {ServerKind::HostName, "a", 0}},
    {"otherLetter", Terminated("X10.0.0.1:80"), {}},
    {"unset", test::Repeat(40, 0xFF), {}},
    {"unsetEndsText", Join({TextBytes("Shost"), {0xFF}, TextBytes(":80"), {0}}), {}},
    {"groupsAbove255", Terminated("N999000000001P80"), {ServerKind::Numeric, "999.0.0.1", 80}},
    {"noTerminatorWithin40", Join({TextBytes("S"), test::Repeat(39, 'h'), TextBytes(":80"), {0}}), {}},
    {"hugePortSaturates", Terminated("Sh:99999999999"), {ServerKind::HostName, "h", 0xFFFFFFFF}}};

TEST(ServerFieldReadTest, ShowsAddressAndPort) {
  for (const auto& row : kReadRows) {
    ConfigurationImage image;
    Put(image, kField.offset, row.stored);
    EXPECT_EQ(ReadServerField(image, kField), row.shown) << row.name;
  }
}

constexpr layout::IpDigitsAt kIp{39};     // the LAN address
constexpr layout::PortDigitsAt kPort{63};  // the gateway's TCP port

// Writing is checked byte by byte through the network page.
TEST(IpDigitsTest, ReadsEachGroupOfThreeDigits) {
  const struct { const char* name; const char* digits; Ipv4Address address; } rows[] = {
      {"plain", "192168001010", MakeIpv4Address(192, 168, 1, 10)},
      {"zero", "000000000000", 0},
      {"mask", "255255255000", 0xFFFFFF00},
      {"groupAbove255", "999168001010", MakeIpv4Address(255, 168, 1, 10)},
      {"digitsThenJunk", "1x2168001010", MakeIpv4Address(1, 168, 1, 10)},
      {"noDigits", "\xFF\xFF\xFF" "168001010", MakeIpv4Address(0, 168, 1, 10)},
      {"unset", "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 0}};
  for (const auto& row : rows) {
    ConfigurationImage image;
    Put(image, kIp.offset, TextBytes(row.digits));
    EXPECT_EQ(ReadIpDigits(image, kIp), row.address) << row.name;
  }
}

TEST(PortDigitsTest, ReadsTheLeadingDigits) {
  const struct { const char* name; const char* digits; std::uint32_t port; } rows[] = {
      {"default", "01002", 1002}, {"highest", "65535", 65535}, {"zero", "00000", 0}, {"aboveRange", "99999", 99999},
      {"unset", "\xFF\xFF\xFF\xFF\xFF", 0}, {"shortThenJunk", "80\xFF\xFF\xFF", 80}};
  for (const auto& row : rows) {
    ConfigurationImage image;
    Put(image, kPort.offset, TextBytes(row.digits));
    EXPECT_EQ(ReadPortDigits(image, kPort), row.port) << row.name;
  }
}

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

TEST(VolumeTest, StoresOffsetFrom128ShowingOutOfRangeAsZeroAndClampingTheLevel) {
  const struct { std::uint8_t stored; int level; } decoded[] = {
      {122, -6}, {128, 0}, {140, 12}, {121, 0} /* below range */, {141, 0} /* above range */, {255, 0}, {0, 0}};
  for (const auto& row : decoded) EXPECT_EQ(DecodeVolume(row.stored), row.level) << int{row.stored};
  const struct { int level; std::uint8_t stored; } encoded[] = {{-6, 122}, {0, 128}, {12, 140}, {-7, 122}, {40, 140}};
  for (const auto& row : encoded) EXPECT_EQ(EncodeVolume(row.level), row.stored) << row.level;
}

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
