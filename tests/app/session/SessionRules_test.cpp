// The small rules of the desktop and tuskoctl: the gateway password, the
// version agreement, the differing fields of a verified write, the program
// settings each layer takes, the language command, and the desktop's start.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/language/LanguageManager.h"
#include "app/session/InstanceMark.h"
#include "app/session/LanguageChange.h"
#include "app/session/LayerSettings.h"
#include "app/session/LinkStatusText.h"
#include "app/session/PasswordRule.h"
#include "app/session/VersionRule.h"
#include "app/session/WriteVerification.h"
#include "app/settings/MemorySettingsStore.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

TEST(GatewayPassword, TakesOnlyAsciiOfAtMostEightCharacters) {
  const struct { const char* name; std::string_view password; PasswordFit fit; } rows[] = {
      {"empty", "", PasswordFit::Fits},
      {"eight_signs", "a1!~ Z_9", PasswordFit::Fits},
      {"nine", "123456789", PasswordFit::TooLong},
      {"umlaut_within_eight_bytes", "p\u00E4ss", PasswordFit::NotAscii},
      {"long_and_not_ascii", "\u00E4123456789", PasswordFit::NotAscii},
  };
  for (const auto& row : rows) EXPECT_EQ(CheckGatewayPassword(row.password), row.fit) << row.name;
}

TEST(VersionRule, ComparesMajorAndMinorOnly) {
  const struct { const char* firmware; bool agrees; } rows[] = {
      {"1.2.0.0", true}, {"1.2.5 (Jan 12 2024)", true}, {"1.3.0.0", false}, {"2.2.0.0", false},
      {"1.12.0", false} /* minor twelve is not one */, {"1.2", false}, {"", false}, {"unknown", false},
  };
  for (const auto& row : rows) EXPECT_EQ(VersionsAgree(row.firmware, kProgramDataVersion), row.agrees) << row.firmware;
}

TEST(WriteVerification, NamesTheDifferingFieldsByIdAndLabelAndTheUnexplainedBytes) {
  const auto text = [](std::string_view key) { return key == "strSystemGeneralName" ? "Gateway name:" : ""; };
  const ConfigurationImage written = MakeDefaultImage();
  EXPECT_TRUE(DifferingFields(written, written, text).empty());
  ConfigurationImage readBack = written;
  for (const auto& [offset, byte] : {std::pair{6, 2}, {7, 'N'}, {8, 'B'}}) readBack.SetByte(offset, byte);
  readBack.SetByte(1, static_cast<std::uint8_t>(written.Byte(1) ^ 0x01));  // reserved, no field's
  EXPECT_EQ(DifferingFields(written, readBack, text),
            (std::vector<std::string>{"general.name (Gateway name)", "byte 1"}));
}

// A record made without the program settings holds the program's defaults.
TEST(LayerSettings, DefaultRecordsMatchTheProgramDefaults) {
  const ProgramSettings defaults;
  EXPECT_TRUE(LinkSettingsFrom(defaults) == LinkSettings{});
  EXPECT_TRUE(EngineSettingsFrom(defaults) == EngineSettings{});
  EXPECT_TRUE(MonitorLogSettingsFrom(defaults) == MonitorLogSettings{});
  EXPECT_EQ(CdrTextLayoutFrom(defaults).positions, CdrTextLayout{}.positions);
  ProgramSettings tcp;
  tcp.comMode = 1;
  EXPECT_EQ(LinkSettingsFrom(tcp).type, LinkType::Tcp);
}

// The number is saved only once the language loaded; otherwise the previous texts are back.
TEST(LanguageChange, SavesTheNumberOnlyOnceTheLanguageLoaded) {
  const struct { const char* name; int chosen; bool changed; std::uint32_t language; } rows[] = {
      {"loaded", 2, true, 2}, {"not_in_the_index", 99, false, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    LanguageManager language(TUSKO_RESOURCES_DIR);
    ASSERT_EQ(language.LoadLanguage(1), LanguageLoadResult::Loaded);
    MemorySettingsStore store;
    ProgramSettings settings = LoadProgramSettings(store);
    const std::string before = language.GetString("strOK");
    const LanguageChange change = ChangeLanguage(language, settings, store, row.chosen);
    EXPECT_EQ(change.changed, row.changed);
    EXPECT_EQ(change.loadError.empty(), row.changed);
    EXPECT_EQ(settings.language, row.language);
    EXPECT_EQ(LoadProgramSettings(store).language, row.language);
    EXPECT_FALSE(language.IsDisabled());
    if (!row.changed) {
      EXPECT_EQ(language.GetString("strOK"), before);
    }
  }
}

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
