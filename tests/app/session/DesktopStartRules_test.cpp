#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/language/LanguageManager.h"
#include "app/session/InstanceMark.h"
#include "app/session/LinkStatusText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

TEST(CommLogSwitch, IsACaseSensitiveSubstringOfOneArgument) {
  const struct { const char* name; std::vector<std::string> args; bool asks; } rows[] = {
      {"alone", {"tusko", "-comlog"}, true},          {"inside_a_word", {"tusko", "x-comlogging"}, true},
      {"upper_case", {"tusko", "-COMLOG"}, false},    {"split_over_two_args", {"tusko", "-com", "log"}, false},
      {"none", {"tusko"}, false}};
  for (auto row : rows) {
    std::vector<char*> argv;
    for (auto& arg : row.args) argv.push_back(arg.data());
    EXPECT_EQ(CommandLineAsksForCommLog(argv), row.asks) << row.name;
  }
}

TEST(InstanceMark, IsSeenWhileAnyInstanceHoldsIt) {
  const test::TempFolder temp;
  const auto& folder = temp.path();
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

TEST(StatusText, NamesTheLinkAndItsState) {
  LanguageManager language(TUSKO_RESOURCES_DIR);
  ASSERT_EQ(language.LoadLanguage(1), LanguageLoadResult::Loaded);
  const struct {
    const char* name;
    std::uint32_t comMode;
    std::string port, address;
    LinkState state;
    std::string expected;  // with the language's texts in braces
  } rows[] = {
      {"serial_without_port", 0, "", "h", LinkState::Closed, "USB: {strStatNoPort}"},
      {"serial_open", 0, "/dev/ttyACM0", "", LinkState::Open, "USB: /dev/ttyACM0 - {strStatConnected}"},
      {"serial_closed", 0, "/dev/ttyACM0", "", LinkState::Closed, "USB: /dev/ttyACM0 - {strStatDisconnected}"},
      {"tcp_without_address", 1, "p", "", LinkState::Open, "TCP: {strStatNoAddress}"},
      {"tcp_connecting", 1, "", "10.0.0.5", LinkState::Connecting, "TCP: 10.0.0.5 - {strStatConnecting}"},
      {"tcp_open", 1, "", "10.0.0.5", LinkState::Open, "TCP: 10.0.0.5 - {strStatConnected}"},
      {"tcp_closed", 1, "", "10.0.0.5", LinkState::Closed, "TCP: 10.0.0.5 - {strStatDisconnected}"}};
  for (const auto& row : rows) {
    ProgramSettings settings;
    settings.comMode = row.comMode;
    settings.virtualComPort = row.port;
    settings.tcpAddress = row.address;
    const auto open = row.expected.find('{'), close = row.expected.find('}');
    ASSERT_LT(open, close) << row.name;
    const std::string text = language.GetString(row.expected.substr(open + 1, close - open - 1));
    ASSERT_FALSE(text.empty()) << row.name;
    const std::string expected = row.expected.substr(0, open) + text + row.expected.substr(close + 1);
    EXPECT_EQ(LinkStatusText(settings, row.state, language), expected) << row.name;
  }
}

}  // namespace
}  // namespace tusko
