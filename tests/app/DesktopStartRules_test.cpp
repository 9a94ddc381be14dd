#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/InstanceMark.h"
#include "app/core/LanguageManager.h"
#include "app/core/LinkStatusText.h"
#include "support/RowName.h"

namespace tusko {
namespace {

struct CommLogRow {
  std::string name;
  std::vector<std::string> args;
  bool asks;
};

class CommLogSwitch : public testing::TestWithParam<CommLogRow> {};

TEST_P(CommLogSwitch, IsACaseSensitiveSubstring) {
  std::vector<char*> argv;
  auto args = GetParam().args;
  for (auto& arg : args) argv.push_back(arg.data());
  EXPECT_EQ(CommandLineAsksForCommLog(argv), GetParam().asks);
}

INSTANTIATE_TEST_SUITE_P(Rows, CommLogSwitch,
                         testing::Values(CommLogRow{"alone", {"tusko", "-comlog"}, true},
                                         CommLogRow{"inside_a_word", {"tusko", "x-comlogging"}, true},
                                         CommLogRow{"upper_case", {"tusko", "-COMLOG"}, false},
                                         CommLogRow{"split_over_two_args", {"tusko", "-com", "log"}, false},
                                         CommLogRow{"none", {"tusko"}, false}),
                         test::RowName<CommLogRow>);

TEST(InstanceMark, IsSeenWhileAnyInstanceHoldsIt) {
  const auto folder = std::filesystem::path(testing::TempDir()) / "instance-mark";
  std::filesystem::create_directories(folder);
  EXPECT_FALSE(IsInstanceRunning(folder));
  {
    auto first = InstanceMark::Take(folder);
    ASSERT_TRUE(first);
    auto second = InstanceMark::Take(folder);
    ASSERT_TRUE(second) << "a second instance starts normally";
    EXPECT_TRUE(IsInstanceRunning(folder));
    first.reset();
    EXPECT_TRUE(IsInstanceRunning(folder)) << "the second instance still runs";
  }
  EXPECT_FALSE(IsInstanceRunning(folder));
}

struct StatusRow {
  std::string name;
  std::uint32_t comMode;
  std::string port;
  std::string address;
  LinkState state;
  std::string expected;  // with the language's texts in braces
};

class StatusText : public testing::TestWithParam<StatusRow> {};

TEST_P(StatusText, NamesTheLinkAndItsState) {
  LanguageManager language(TUSKO_RESOURCES_DIR);
  ASSERT_EQ(language.LoadLanguage(1), LanguageLoadResult::Loaded);
  ProgramSettings settings;
  settings.comMode = GetParam().comMode;
  settings.virtualComPort = GetParam().port;
  settings.tcpAddress = GetParam().address;
  std::string expected = GetParam().expected;
  for (const char* key : {"strStatNoPort", "strStatNoAddress", "strStatConnected", "strStatConnecting",
                          "strStatDisconnected"}) {
    const std::string marker = std::string("{") + key + "}";
    if (const auto at = expected.find(marker); at != std::string::npos) {
      expected.replace(at, marker.size(), language.GetString(key));
    }
  }
  EXPECT_EQ(LinkStatusText(settings, GetParam().state, language), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StatusText,
    testing::Values(StatusRow{"serial_without_port", 0, "", "h", LinkState::Closed, "USB: {strStatNoPort}"},
                    StatusRow{"serial_open", 0, "/dev/ttyACM0", "", LinkState::Open, "USB: /dev/ttyACM0 - {strStatConnected}"},
                    StatusRow{"serial_closed", 0, "/dev/ttyACM0", "", LinkState::Closed,
                              "USB: /dev/ttyACM0 - {strStatDisconnected}"},
                    StatusRow{"tcp_without_address", 1, "p", "", LinkState::Open, "TCP: {strStatNoAddress}"},
                    StatusRow{"tcp_connecting", 1, "", "10.0.0.5", LinkState::Connecting,
                              "TCP: 10.0.0.5 - {strStatConnecting}"},
                    StatusRow{"tcp_open", 1, "", "10.0.0.5", LinkState::Open, "TCP: 10.0.0.5 - {strStatConnected}"},
                    StatusRow{"tcp_closed", 1, "", "10.0.0.5", LinkState::Closed, "TCP: 10.0.0.5 - {strStatDisconnected}"}),
    test::RowName<StatusRow>);

}  // namespace
}  // namespace tusko
