#include "config/ServerField.h"

#include <gtest/gtest.h>

#include <string>

#include "ImageBytes.h"

namespace tusko {
namespace {

using test::Bytes;
using test::Join;
using test::Put;
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

}  // namespace
}  // namespace tusko
