#include "config/ServerField.h"

#include <gtest/gtest.h>

#include <string>

#include "ImageBytes.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using test::Bytes;
using test::Join;
using test::Put;
using test::Slice;
using test::TextBytes;

constexpr layout::ServerFieldAt kField = layout::alarm::kIpServer;

// The field's text up to its terminator.
std::string Stored(const ConfigurationImage& image) {
  std::string text = image.Text(kField.offset, 40);
  return text.substr(0, text.find('\0'));
}

// --- Writing -----------------------------------------------------------------

struct WriteRow {
  const char* name;
  const char* address;
  std::uint16_t port;
  ServerWriteResult result;
  const char* stored;
};

class ServerFieldWriteTest : public ::testing::TestWithParam<WriteRow> {};

TEST_P(ServerFieldWriteTest, StoresNumericOrHostName) {
  const auto& row = GetParam();
  ConfigurationImage image;
  Put(image, kField.offset, TextBytes("Sold.example:1"));
  EXPECT_EQ(WriteServerField(image, kField, row.address, row.port), row.result);
  EXPECT_EQ(Stored(image), row.stored);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerFieldWriteTest,
    ::testing::Values(WriteRow{"numeric", "10.0.0.1", 80, ServerWriteResult::Numeric, "N010000000001P80"},
                      WriteRow{"hostName", "smtpserver", 25, ServerWriteResult::HostName, "Ssmtpserver:25"},
                      WriteRow{"threePieces", "10.0.0", 80, ServerWriteResult::HostName, "S10.0.0:80"},
                      WriteRow{"pieceAbove255", "1.2.3.300", 80, ServerWriteResult::HostName, "S1.2.3.300:80"},
                      WriteRow{"fivePieces", "1.2.3.4.5", 80, ServerWriteResult::HostName, "S1.2.3.4.5:80"},
                      WriteRow{"spacesSeparate", "10 0 0 1", 80, ServerWriteResult::Numeric, "N010000000001P80"},
                      WriteRow{"trailingLettersIgnored", "12a.0.0.1", 80, ServerWriteResult::Numeric, "N012000000001P80"},
                      WriteRow{"zeroMustBeZeros", "0a.0.0.1", 80, ServerWriteResult::HostName, "S0a.0.0.1:80"},
                      WriteRow{"zeroesAreZero", "00.000.0.1", 80, ServerWriteResult::Numeric, "N000000000001P80"},
                      WriteRow{"hugePiece", "99999999999.0.0.1", 80, ServerWriteResult::HostName, "S99999999999.0.0.1:80"},
                      WriteRow{"longestName", "abcdefghijklmnopqrstuvwxyz01234", 65535, ServerWriteResult::HostName,
                               "Sabcdefghijklmnopqrstuvwxyz01234:65535"},
                      WriteRow{"noAddress", "", 80, ServerWriteResult::NoServer, ""},
                      WriteRow{"noPort", "10.0.0.1", 0, ServerWriteResult::PortMissing, ""},
                      WriteRow{"nameTooLong", "abcdefghijklmnopqrstuvwxyz0123456789", 80, ServerWriteResult::DoesNotFit,
                               ""}),
    test::RowName<WriteRow>);

TEST(ServerFieldWriteTest, ClearingLeavesTheRestOfTheField) {
  ConfigurationImage image;
  Put(image, kField.offset, TextBytes("N010000000001P80"));
  WriteServerField(image, kField, "", 80);
  EXPECT_EQ(Slice(image, kField.offset, 4), Join({{0}, TextBytes("010")}));
}

TEST(ServerFieldWriteTest, NulInsideTheAddressIsRefused) {
  ConfigurationImage image;
  EXPECT_EQ(WriteServerField(image, kField, std::string("ab\0cd", 5), 80), ServerWriteResult::DoesNotFit);
  EXPECT_EQ(ReadServerField(image, kField), ServerAddress{});
}

// --- Reading -----------------------------------------------------------------

struct ReadRow {
  const char* name;
  Bytes stored;
  ServerAddress shown;
};

class ServerFieldReadTest : public ::testing::TestWithParam<ReadRow> {};

TEST_P(ServerFieldReadTest, ShowsAddressAndPort) {
  const auto& row = GetParam();
  ConfigurationImage image;
  Put(image, kField.offset, row.stored);
  EXPECT_EQ(ReadServerField(image, kField), row.shown);
}

Bytes Terminated(const char* text) { return Join({TextBytes(text), {0}}); }

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerFieldReadTest,
    ::testing::Values(
        ReadRow{"numeric", Terminated("N192168000005P4000"), {ServerKind::Numeric, "192.168.0.5", 4000}},
        ReadRow{"hostName", Terminated("Ssmtpserver:25"), {ServerKind::HostName, "smtpserver", 25}},
        ReadRow{"noPAtIndex13", Terminated("N192168001001X80"), {}},
        ReadRow{"tooShortForP", Terminated("N1921680010"), {}},
        ReadRow{"hostWithoutColon", Terminated("Ssmtpserver"), {}},
        ReadRow{"emptyHostName", Terminated("S:25"), {ServerKind::HostName, "", 25}},
        ReadRow{"firstColonSplits", Terminated("Sa:b:25"), {ServerKind::HostName, "a", 0}},
        ReadRow{"otherLetter", Terminated("X10.0.0.1:80"), {}},
        ReadRow{"cleared", Terminated(""), {}},
        ReadRow{"unset", test::Repeat(40, 0xFF), {}},
        ReadRow{"unsetEndsText", Join({TextBytes("Shost"), {0xFF}, TextBytes(":80"), {0}}), {}},
        ReadRow{"groupsAbove255", Terminated("N999000000001P80"), {ServerKind::Numeric, "999.0.0.1", 80}},
        ReadRow{"noTerminatorWithin40", Join({TextBytes("S"), test::Repeat(39, 'h'), TextBytes(":80"), {0}}), {}},
        ReadRow{"hugePortSaturates", Terminated("Sh:99999999999"), {ServerKind::HostName, "h", 0xFFFFFFFF}}),
    test::RowName<ReadRow>);

}  // namespace
}  // namespace tusko
