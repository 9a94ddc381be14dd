#include "cli/CliOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RowName.h"

namespace tusko::cli {
namespace {

struct GoodRow {
  const char* name;
  std::vector<std::string> args;
  CliOptions expected;
};

class GoodCommandLines : public testing::TestWithParam<GoodRow> {};

TEST_P(GoodCommandLines, AreTakenApart) {
  const CliOptionsParse parse = ParseCliOptions(GetParam().args);
  ASSERT_FALSE(parse.error.has_value()) << parse.error->key;
  const CliOptions& got = parse.options;
  const CliOptions& want = GetParam().expected;
  EXPECT_EQ(got.command, want.command);
  EXPECT_EQ(got.tcpAddress, want.tcpAddress);
  EXPECT_EQ(got.tcpPort, want.tcpPort);
  EXPECT_EQ(got.serialPort, want.serialPort);
  EXPECT_EQ(got.baudRate, want.baudRate);
  EXPECT_EQ(got.comlog, want.comlog);
  EXPECT_EQ(got.comlogFile, want.comlogFile);
  EXPECT_EQ(got.password, want.password);
  EXPECT_EQ(got.help, want.help);
  EXPECT_EQ(got.commandArguments, want.commandArguments);
  EXPECT_EQ(got.yes, want.yes);
  EXPECT_EQ(got.force, want.force);
}

CliOptions Command(std::string name, std::vector<std::string> arguments) {
  CliOptions options;
  options.command = std::move(name);
  options.commandArguments = std::move(arguments);
  return options;
}

CliOptions Info() {
  CliOptions options;
  options.command = "info";
  return options;
}

template <typename Change>
CliOptions InfoWith(Change change) {
  CliOptions options = Info();
  change(options);
  return options;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GoodCommandLines,
    testing::Values(
        GoodRow{"command_alone", {"info"}, Info()},
        GoodRow{"tcp_host_and_port", {"info", "--tcp", "10.0.0.7:1003"}, InfoWith([](CliOptions& o) {
                  o.tcpAddress = "10.0.0.7";
                  o.tcpPort = 1003;
                })},
        GoodRow{"highest_port", {"--tcp", "h:65535", "info"}, InfoWith([](CliOptions& o) {
                  o.tcpAddress = "h";
                  o.tcpPort = 65535;
                })},
        GoodRow{"serial_with_baud", {"--serial", "ttyACM0", "--baud", "9600", "info"}, InfoWith([](CliOptions& o) {
                  o.serialPort = "ttyACM0";
                  o.baudRate = 9600;
                })},
        GoodRow{"comlog_before_another_option", {"--comlog", "--password", "pw", "info"}, InfoWith([](CliOptions& o) {
                  o.comlog = true;
                  o.password = "pw";
                })},
        GoodRow{"comlog_to_a_file", {"--comlog", "/tmp/link.log", "info"}, InfoWith([](CliOptions& o) {
                  o.comlog = true;
                  o.comlogFile = "/tmp/link.log";
                })},
        GoodRow{"file_command", {"read-config", "a.cfg"}, Command("read-config", {"a.cfg"})},
        GoodRow{"options_around_the_file", {"--yes", "write-config", "a.cfg", "--force"}, [] {
                  CliOptions o = Command("write-config", {"a.cfg"});
                  o.yes = true;
                  o.force = true;
                  return o;
                }()},
        GoodRow{"file_named_like_a_command", {"check-config", "info"}, Command("check-config", {"info"})},
        GoodRow{"help_wins_over_nothing", {"-h"}, [] {
                  CliOptions o;
                  o.help = true;
                  return o;
                }()}),
    test::RowName<GoodRow>);

struct BadRow {
  const char* name;
  std::vector<std::string> args;
  const char* key;
  std::vector<std::string> arguments;
};

class BadCommandLines : public testing::TestWithParam<BadRow> {};

TEST_P(BadCommandLines, NameTheirFault) {
  const CliOptionsParse parse = ParseCliOptions(GetParam().args);
  ASSERT_TRUE(parse.error.has_value());
  EXPECT_EQ(parse.error->key, GetParam().key);
  EXPECT_EQ(parse.error->arguments, GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BadCommandLines,
    testing::Values(BadRow{"tcp_without_value", {"info", "--tcp"}, "strCliMissingValue", {"--tcp"}},
                    BadRow{"port_zero", {"--tcp", "h:0"}, "strCliBadNumber", {"0", "--tcp"}},
                    BadRow{"port_too_high", {"--tcp", "h:65536"}, "strCliBadNumber", {"65536", "--tcp"}},
                    BadRow{"port_empty", {"--tcp", "h:"}, "strCliBadNumber", {"", "--tcp"}},
                    BadRow{"host_empty", {"--tcp", ":1002"}, "strCliBadAddress", {":1002"}},
                    BadRow{"baud_negative", {"--baud", "-5"}, "strCliBadNumber", {"-5", "--baud"}},
                    BadRow{"baud_beyond_32_bits", {"--baud", "4294967296"}, "strCliBadNumber", {"4294967296", "--baud"}},
                    BadRow{"both_links", {"--tcp", "h", "--serial", "ttyS0", "info"}, "strCliTwoLinks", {}},
                    BadRow{"second_command", {"info", "info"}, "strCliUnknownArgument", {"info"}},
                    BadRow{"file_missing", {"read-config"}, "strCliMissingArgument", {"read-config"}},
                    BadRow{"one_file_too_many", {"write-config", "a", "b"}, "strCliUnknownArgument", {"b"}},
                    BadRow{"unknown_option", {"--frobnicate"}, "strCliUnknownArgument", {"--frobnicate"}},
                    BadRow{"first_fault_wins", {"--bogus", "--tcp"}, "strCliUnknownArgument", {"--bogus"}}),
    test::RowName<BadRow>);

}  // namespace
}  // namespace tusko::cli
