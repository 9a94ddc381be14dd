// The small rules of the desktop and tuskoctl: password, version, verified write, the settings each
// layer takes, the language command, the desktop's start and the configuration backups.
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/language/LanguageManager.h"
#include "app/session/ConfigBackups.h"
#include "app/session/InstanceMark.h"
#include "app/session/LanguageChange.h"
#include "app/session/LayerSettings.h"
#include "app/session/LinkStatusText.h"
#include "app/session/PasswordRule.h"
#include "app/session/VersionRule.h"
#include "app/session/WriteChanges.h"
#include "app/session/WriteVerification.h"
#include "app/settings/MemorySettingsStore.h"
#include "config/ConfigurationFile.h"
#include "config/FieldValues.h"
#include "config/TextFormat.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

TEST(GatewayPassword, TakesOnlyAsciiOfAtMostEightCharacters) {
  using enum PasswordFit;
  const struct { const char* name; std::string_view password; PasswordFit fit; const char* key; } rows[] = {
      {"empty", "", Fits, ""}, {"eight_signs", "a1!~ Z_9", Fits, ""}, {"nine", "123456789", TooLong, "strPasswordTooLong"},
      {"umlaut_within_eight_bytes", "p\u00E4ss", NotAscii, "strPasswordNotAscii"},
      {"long_and_not_ascii", "\u00E4123456789", NotAscii, "strPasswordNotAscii"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(CheckGatewayPassword(row.password), row.fit) << row.name;
    EXPECT_EQ(PasswordRefusalKey(row.password), row.key) << row.name;
  }
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
  EXPECT_FALSE(InstanceMark::Take(folder / "missing")) << "the program runs without a mark";

  // The runtime folder only when it is an absolute path.
  ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  EXPECT_EQ(InstanceMark::DefaultFolder(), folder);
  ::setenv("XDG_RUNTIME_DIR", "relative", 1);
  EXPECT_EQ(InstanceMark::DefaultFolder(), fs::temp_directory_path());
}

// The state's word is the language's; a serial port never shows "connecting".
TEST(StatusText, NamesTheLinkAndItsState) {
  LanguageManager language(TUSKO_RESOURCES_DIR);
  ASSERT_EQ(language.LoadLanguage(1), LanguageLoadResult::Loaded);
  const struct { std::uint32_t mode; std::string port, address; LinkState state; std::string prefix, key; } rows[] = {
      {0, "", "h", LinkState::Closed, "USB: ", "strStatNoPort"},
      {0, "/dev/ttyACM0", "", LinkState::Open, "USB: /dev/ttyACM0 - ", "strStatConnected"},
      {0, "/dev/ttyACM0", "", LinkState::Connecting, "USB: /dev/ttyACM0 - ", "strStatDisconnected"},
      {1, "p", "", LinkState::Open, "TCP: ", "strStatNoAddress"},
      {1, "", "10.0.0.5", LinkState::Connecting, "TCP: 10.0.0.5 - ", "strStatConnecting"},
      {1, "", "10.0.0.5", LinkState::Open, "TCP: 10.0.0.5 - ", "strStatConnected"},
      {1, "", "10.0.0.5", LinkState::Closed, "TCP: 10.0.0.5 - ", "strStatDisconnected"}};
  for (const auto& row : rows) {
    ProgramSettings settings;
    settings.comMode = row.mode;
    settings.virtualComPort = row.port;
    settings.tcpAddress = row.address;
    ASSERT_FALSE(language.GetString(row.key).empty()) << row.key;
    EXPECT_EQ(LinkStatusText(settings, row.state, language), row.prefix + language.GetString(row.key)) << row.prefix;
  }
}

constexpr BackupTime kTime{2026, 1, 2, 3, 4, 5};

TEST(ConfigBackups, NamesAreSafeAndDated) {
  const std::pair<std::string, std::string> rows[] = {
      {"Office 2", "Office 2-20260102-030405.cfg"}, {std::string("a/b\\c\t\x7F", 7), "a_b_c__-20260102-030405.cfg"},
      {"../up", "_up-20260102-030405.cfg"}, {" ", "gateway-20260102-030405.cfg"}};
  for (const auto& [device, file] : rows) EXPECT_EQ(BackupFileName(device, kTime), file) << device;
}

TEST(ConfigBackups, SaveMakesTheFolderAndGivesASecondNameWithinOneSecond) {
  const test::TempFolder folder;
  const BackupRules rules{folder / "data" / "backups", 1024 * 1024};
  ConfigurationImage image = MakeDefaultImage();
  const auto first = SaveConfigBackup(rules, "Office", kTime, image);
  image.SetByte(600, 0x5A);
  const auto second = SaveConfigBackup(rules, "Office", kTime, image);
  ASSERT_TRUE(first && second);
  EXPECT_EQ(first->filename(), "Office-20260102-030405.cfg");
  EXPECT_EQ(second->filename(), "Office-20260102-030405-2.cfg");
  const ConfigurationReadResult read = ReadConfigurationFile(*second);
  EXPECT_TRUE(read.image && *read.image == image);
}

TEST(ConfigBackups, PruneRemovesTheOldestBackupsOnlyUntilTheFolderFits) {
  const test::TempFolder folder;
  int age = 40;
  const auto old = [&](const char* name) {  // 100 bytes, each file 10 s newer than the one before
    std::ofstream(folder / name) << std::string(100, 'x');
    fs::last_write_time(folder / name, fs::file_time_type::clock::now() - std::chrono::seconds(age -= 10));
    return folder / name;
  };
  const fs::path notes = old("notes.txt"), oldest = old("a.cfg"), older = old("b.cfg"), newest = old("c.cfg");
  PruneBackups(folder.path(), 250, newest);
  EXPECT_FALSE(fs::exists(oldest));
  EXPECT_TRUE(fs::exists(older) && fs::exists(newest));
  EXPECT_TRUE(fs::exists(notes)) << "only backups count and go";
  // The backup just made stays even when it alone passes the bound.
  PruneBackups(folder.path(), 50, newest);
  EXPECT_FALSE(fs::exists(older));
  EXPECT_TRUE(fs::exists(newest));
}

// The change list before a write shows a choice by its label in the current
// language (a literal one as it stands, a stored value no choice names as the
// number) and a run no field explains in hex.
TEST(WriteChanges, ShowChoicesByTheirLabelAndUnexplainedBytesInHex) {
  const auto text = [](std::string_view key) -> std::string {
    if (key == "strSystemGeneralMobilityExtension") return "Mobility extension:";
    if (key == "strSystemGeneralMobilityGlobal") return "global";
    return std::string(key);
  };
  const ConfigurationImage gateway = MakeDefaultImage();
  ConfigurationImage written = gateway;
  catalog::WriteField(written, catalog::FindField("general.mobilityExtension"), {.number = 2});
  catalog::WriteField(written, catalog::FindField("credit.sendingHour"), {.number = 7});
  written.SetByte(catalog::FindField("credit.sendingDay").Offset(), 77);
  written.SetByte(1, static_cast<std::uint8_t>(gateway.Byte(1) ^ 0x01));
  std::map<std::string, std::string> after;
  for (const WriteChange& change : WriteChanges(gateway, written, text)) after[change.field] = change.after;
  EXPECT_EQ(after, (std::map<std::string, std::string>{{"Mobility extension", "global"},
                                                       {"strSystemCreditSendingHour", "07:00"},
                                                       {"strSystemCreditSendingDay", "77"},
                                                       {"byte 1", catalog::HexBytes(std::vector<std::uint8_t>{written.Byte(1)})}}));
}

}  // namespace
}  // namespace tusko
