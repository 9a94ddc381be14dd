#include "protocol/PasswordMask.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/RowName.h"

namespace tusko {
namespace {

struct DumpRow {
  const char* name;
  std::vector<std::uint8_t> message;
  std::string dump;
};

class MessageDumpTest : public testing::TestWithParam<DumpRow> {};

TEST_P(MessageDumpTest, MasksOnlyThePasswordsOfARequest) { EXPECT_EQ(MessageDump(GetParam().message), GetParam().dump); }

// Password "ab" is D1 03 61 62 00, the new password "cd" 28 03 63 64 00.
INSTANTIATE_TEST_SUITE_P(
    Messages, MessageDumpTest,
    testing::Values(
        DumpRow{"LoginPassword", {0xA1, 0x0B, 0x46, 0x04, 0x00, 0x07, 0x00, 0x00, 0xD1, 0x03, 0x61, 0x62, 0x00, 0x55},
                "A1 0B 46 04 00 07 00 00 D1 03 ** ** ** 55"},
        DumpRow{"OldAndNewPassword",
                {0xA1, 0x0A, 0x28, 0x03, 0x63, 0x64, 0x00, 0xD1, 0x03, 0x61, 0x62, 0x00, 0x55},
                "A1 0A 28 03 ** ** ** D1 03 ** ** ** 55"},
        DumpRow{"ReplyIsShownAsItIs", {0xA2, 0x05, 0x28, 0x03, 0x63, 0x64, 0x00, 0x55}, "A2 05 28 03 63 64 00 55"},
        DumpRow{"ElementPastTheAreaIsShownAsItIs",
                {0xA1, 0x09, 0xD1, 0x03, 0x61, 0x62, 0x00, 0xD1, 0x09, 0x61, 0x62}, "A1 09 D1 03 ** ** ** D1 09 61 62"},
        DumpRow{"LengthBeyondTheBytesGiven", {0xA1, 0x40, 0xD1}, "A1 40 D1"},
        DumpRow{"Empty", {}, ""}),
    test::RowName<DumpRow>);

}  // namespace
}  // namespace tusko
