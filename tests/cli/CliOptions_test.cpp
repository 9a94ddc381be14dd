// tuskoctl's command line: its options taken apart, and the date and time argument of the clock command.
#include "cli/CliOptions.h"
#include "cli/DateTimeArgument.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
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

auto Fields(const CliOptions& o) {
  return std::tie(o.help, o.version, o.tcpAddress, o.tcpPort, o.serialPort, o.baudRate, o.comlog, o.comlogFile,
                  o.password, o.yes, o.force, o.format, o.command, o.commandArguments);
}

TEST_P(GoodCommandLines, AreTakenApart) {
  const CliOptionsParse parse = ParseCliOptions(GetParam().args);
  ASSERT_FALSE(parse.error.has_value()) << parse.error->key;
  EXPECT_EQ(Fields(parse.options), Fields(GetParam().expected));
}

CliOptions Options(std::string command, std::vector<std::string> arguments, void (*change)(CliOptions&) = nullptr) {
  CliOptions options;
  options.command = std::move(command);
  options.commandArguments = std::move(arguments);
  if (change != nullptr) change(options);
  return options;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GoodCommandLines,
    testing::Values(
        GoodRow{"command_alone", {"info"}, Options("info", {})},
        GoodRow{"tcp_host_and_port", {"info", "--tcp", "10.0.0.7:1003"},
                Options("info", {}, [](CliOptions& o) { o.tcpAddress = "10.0.0.7"; o.tcpPort = 1003; })},
        GoodRow{"highest_port", {"--tcp", "h:65535", "info"},
                Options("info", {}, [](CliOptions& o) { o.tcpAddress = "h"; o.tcpPort = 65535; })},
        GoodRow{"serial_with_baud", {"--serial", "ttyACM0", "--baud", "9600", "info"},
                Options("info", {}, [](CliOptions& o) { o.serialPort = "ttyACM0"; o.baudRate = 9600; })},
        GoodRow{"comlog_before_another_option", {"--comlog", "--password", "pw", "info"},
                Options("info", {}, [](CliOptions& o) { o.comlog = true; o.password = "pw"; })},
        GoodRow{"comlog_to_a_file", {"--comlog", "/tmp/link.log", "info"},
                Options("info", {}, [](CliOptions& o) { o.comlog = true; o.comlogFile = "/tmp/link.log"; })},
        GoodRow{"file_command", {"read-config", "a.cfg"}, Options("read-config", {"a.cfg"})},
        GoodRow{"options_around_the_file", {"--yes", "write-config", "a.cfg", "--force"},
                Options("write-config", {"a.cfg"}, [](CliOptions& o) { o.yes = true; o.force = true; })},
        GoodRow{"file_named_like_a_command", {"check-config", "info"}, Options("check-config", {"info"})},
        GoodRow{"help_wins_over_nothing", {"-h"}, Options("", {}, [](CliOptions& o) { o.help = true; })}),
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

std::tm Tm(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec) =
      std::tuple(year - 1900, month - 1, day, hour, minute, second);
  return t;
}

DateTimeRecord Record(int year, int month, int day, int hour, int minute, int second) {
  const auto u = [](int value) { return static_cast<std::uint16_t>(value); };
  return {.year = u(year), .month = u(month), .day = u(day), .hour = u(hour), .minute = u(minute), .second = u(second)};
}

TEST(DateTimeArgument, AcceptsIsoLocalTimesAndNow) {
  const std::tm now = Tm(2026, 12, 6, 9, 8, 60);  // a leap second
  EXPECT_EQ(ParseDateTimeArgument("now", now), Record(2026, 12, 6, 9, 8, 59));
  EXPECT_EQ(ParseDateTimeArgument("2024-02-29T23:59:58", now), Record(2024, 2, 29, 23, 59, 58));
  EXPECT_EQ(ParseDateTimeArgument("2000-01-01 00:00:00", now), Record(2000, 1, 1, 0, 0, 0));
  EXPECT_EQ(FormatDateTime(Record(2099, 12, 31, 23, 5, 7)), "2099-12-31 23:05:07");
}

TEST(DateTimeArgument, RefusesWhatTheGatewayCannotHold) {
  const std::tm now = Tm(1999, 12, 31, 0, 0, 0);
  for (const char* text : {"now", "2023-02-29T00:00:00", "2100-01-01T00:00:00", "1999-12-31T23:59:59",
                           "2026-13-01T00:00:00", "2026-04-31T00:00:00", "2026-01-01T24:00:00",
                           "2026-01-01T00:60:00", "2026-01-01T00:00:60", "2026-1-01T00:00:00",
                           "2026-01-01T00:00:00Z", "2026-01-01X00:00:00", "+026-01-01T00:00:00", "",
                           "today"}) {
    EXPECT_FALSE(ParseDateTimeArgument(text, now)) << text;
  }
}

}  // namespace
}  // namespace tusko::cli
