// Every value of every settings record, read from its value table: the
// properties all of them share, and one text of the settings file the
// defaults make, which pins the names, defaults and what is saved.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>

#include "app/settings/FileSettings.h"
#include "app/settings/FileSettingsStore.h"
#include "app/settings/MemorySettingsStore.h"
#include "app/settings/ProgramSettings.h"
#include "app/settings/RecentFiles.h"
#include "app/settings/WindowStateSettings.h"
#include "support/FileText.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

constexpr std::string_view kStartFolder = "/home/operator/gateway";

FileSettings LoadFiles(SettingsStore& store) { return LoadFileSettings(store, kStartFolder); }

// A value of its own for entry `i`: numbers far from any default, texts of the
// given length in a letter of their own.
std::uint32_t DistinctNumber(std::size_t i) { return 7000 + static_cast<std::uint32_t>(i); }
std::string DistinctText(std::size_t i, std::size_t length) { return std::string(length, static_cast<char>('a' + i)); }

// Each name reads into its own field and a save writes back what was loaded,
// the values marked unsaved excepted; a text of its capacity fits, one more
// character or a value of the wrong type takes the default.
template <class Record, class Load, class Save>
void ExpectEveryValueRoundTrips(std::span<const SettingValue<Record>> table, Load load, Save save) {
  MemorySettingsStore empty, distinct, overlong, wrongType, saved;
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto& value = table[i];
    if (value.number != nullptr) {
      distinct.writeNumber(kSettingsSection, value.name, DistinctNumber(i));
      wrongType.writeText(kSettingsSection, value.name, std::to_string(DistinctNumber(i)));
    } else {
      distinct.writeText(kSettingsSection, value.name, DistinctText(i, value.textCapacity));
      overlong.writeText(kSettingsSection, value.name, DistinctText(i, value.textCapacity + 1));
      wrongType.writeNumber(kSettingsSection, value.name, DistinctNumber(i));
    }
  }
  const Record defaults = load(empty);
  const Record loaded = load(distinct);
  EXPECT_TRUE(load(overlong) == defaults);
  EXPECT_TRUE(load(wrongType) == defaults);
  ASSERT_TRUE(save(saved, loaded));
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto& value = table[i];
    SCOPED_TRACE(value.name);
    if (value.number != nullptr) {
      EXPECT_EQ(loaded.*value.number, DistinctNumber(i));
      EXPECT_EQ(saved.readNumber(kSettingsSection, value.name),
                value.saved == Saved::Yes ? std::optional(DistinctNumber(i)) : std::nullopt);
    } else {
      EXPECT_EQ(loaded.*value.text, DistinctText(i, value.textCapacity));
      EXPECT_EQ(saved.readText(kSettingsSection, value.name),
                value.saved == Saved::Yes ? std::optional(DistinctText(i, value.textCapacity)) : std::nullopt);
    }
  }
}

TEST(SettingsRecords, EveryValueRoundTripsAndOverlongOrMistypedValuesTakeTheDefault) {
  {
    SCOPED_TRACE("program");
    ExpectEveryValueRoundTrips(ProgramSettingValues(), LoadProgramSettings, SaveProgramSettings);
  }
  {
    SCOPED_TRACE("files");
    ExpectEveryValueRoundTrips(FileSettingValues(), LoadFiles, SaveFileSettings);
  }
  {
    SCOPED_TRACE("window");
    ExpectEveryValueRoundTrips(WindowStateSettingValues(), LoadWindowState, SaveWindowState);
  }
}

// A text over its buffer in bytes (plain or in two-byte letters) is not
// saved: the value stored before reads back, not the default.
template <class Record, class Load, class Save>
void ExpectOnlyTextsThatReadBackAreSaved(std::span<const SettingValue<Record>> table, Load load, Save save) {
  for (const bool wide : {false, true}) {
    MemorySettingsStore store;
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table[i].text != nullptr) store.writeText(kSettingsSection, table[i].name, DistinctText(i, 3));
    }
    Record record = load(store);
    for (std::size_t i = 0; i < table.size(); ++i) {
      const auto& value = table[i];
      if (value.text == nullptr) continue;
      std::string text = DistinctText(i, value.textCapacity + 1);
      if (wide) {
        text.clear();
        while (text.size() <= value.textCapacity) text += "\u00E4";
      }
      record.*value.text = text;
    }
    ASSERT_TRUE(save(store, record));
    const Record loaded = load(store);
    for (std::size_t i = 0; i < table.size(); ++i) {
      if (table[i].text == nullptr || table[i].saved == Saved::No) continue;
      EXPECT_EQ(loaded.*table[i].text, DistinctText(i, 3)) << table[i].name << (wide ? " in two-byte letters" : "");
    }
  }
}

TEST(SettingsRecords, OverlongTextsAreNotSavedSoTheStoredValueStays) {
  {
    SCOPED_TRACE("program");
    ExpectOnlyTextsThatReadBackAreSaved(ProgramSettingValues(), LoadProgramSettings, SaveProgramSettings);
  }
  {
    SCOPED_TRACE("files");
    ExpectOnlyTextsThatReadBackAreSaved(FileSettingValues(), LoadFiles, SaveFileSettings);
  }
}

// The three records share one section, whose names compare without regard to case.
TEST(SettingsRecords, NamesAreUniqueInTheirSection) {
  std::set<std::string_view, SettingsNameLess> names;
  const auto add = [&](const auto& table) {
    for (const auto& value : table) EXPECT_TRUE(names.insert(value.name).second) << value.name;
  };
  add(ProgramSettingValues());
  add(FileSettingValues());
  add(WindowStateSettingValues());
}

// What a first run writes, and the defaults of the values it never writes.
constexpr const char* kSavedDefaults = R"([DravenixIsdnTusko]
Language=1
ComMode=0
VirtualComPort=""
Baudrate=115200
TcpAddress=""
TcpPort=1002
MonitorLogMaxLines=1000
MonitorLogClearAtStart=1
MonitorLogSaveAtEnd=1
CommunicationTimeout=5000
CommunicationTimeoutReset=5000
CommunicationTimeoutFlashLoad=5000
CommunicationTimeoutFlashLoadStart=5000
CommunicationTimeoutDataRead=5000
CommunicationTimeoutDataWrite=5000
CommunicationTimeoutDataWriteStart=5000
CommunicationTimeoutReadCells=10000
DiagnosticsRefresh=5000
CDRHeader=1
CDRFieldDate=0
CDRFieldTime=1
CDRFieldType=2
CDRFieldCallerId=3
CDRFieldCalledNumber=4
CDRFieldLength=5
CDRFieldInPort=6
CDRFieldOutPort=7
CDRFieldCause=8
BrowsePathData="/home/operator/gateway"
BrowsePathCode="/home/operator/gateway"
BrowsePathLog="/home/operator/gateway"
BrowsePathCdr="/home/operator/gateway"
OpenSaveFilterData=1
OpenSaveFilterCode=1
OpenSaveFilterLog=1
OpenSaveFilterCdr=1
LastFlashWriteFile=""
LastAnnouncementFile=""
SplitterPos1=200
SplitterPos2=0
x=4294967295
y=4294967295
cx=4294967295
cy=4294967295
Maximized=0
Toolbar=1
CmdbarFirst=1
OneLineRebar=0
Statusbar=1

[Recent Document List]
DocumentCount=4
)";
constexpr const char* kUnsavedDefaults =
    "CommunicationLog=0 CommunicationLogRawInput=0 CommunicationLogMaxLines=200 "
    "CommunicationTimeoutSwitchToLoader=5000 CommunicationTimeoutSwitchToFirmware=10000 CommunicationTimeoutConnect=5000 DataReadWriteRequestDelay=25 DataReadWriteMaxPendingRequests=5 "
    "CheckFirmwareVersion=1 CheckFirmwareAddrSpace=1 ConfigBackup=1 ConfigBackupMaxKBytes=10240 ";

TEST(SettingsRecords, DefaultsSaveAsTheKnownFile) {
  const test::TempFolder folder;
  const auto path = folder / "DravenixIsdnTusko.conf";
  {
    FileSettingsStore store(path);
    ASSERT_TRUE(SaveProgramSettings(store, LoadProgramSettings(store)) && SaveFileSettings(store, LoadFiles(store)) &&
                SaveWindowState(store, LoadWindowState(store)) && SaveRecentFiles(store, LoadRecentFiles(store)));
  }
  EXPECT_EQ(test::ReadFileText(path), kSavedDefaults);

  std::string unsaved;
  MemorySettingsStore empty;
  const ProgramSettings defaults = LoadProgramSettings(empty);
  for (const auto& value : ProgramSettingValues()) {
    if (value.saved == Saved::No) {
      unsaved += std::string(value.name) + "=" + std::to_string(defaults.*value.number) + " ";
    }
  }
  EXPECT_EQ(unsaved, kUnsavedDefaults);
}

TEST(SettingsRecords, FoldersDefaultToTheWorkingDirectory) {
  MemorySettingsStore empty;
  EXPECT_FALSE(CurrentDirectory().empty());
  EXPECT_EQ(LoadFileSettings(empty).browsePathCdr, CurrentDirectory());
}

}  // namespace
}  // namespace tusko
