// Properties of every value of every settings record, read from its value tables, and one text
// of the file the defaults make; then what the window state and recent-files list decide alone.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <vector>

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

using Paths = std::vector<std::string>;

std::string Document(int number) { return "Document" + std::to_string(number); }

// Values of their own for entry `i`: numbers far from any default, texts in a letter of their own.
std::uint32_t DistinctNumber(std::size_t i) { return 7000 + static_cast<std::uint32_t>(i); }
std::string DistinctText(std::size_t i, std::size_t length) { return std::string(length, static_cast<char>('a' + i)); }

// Each name reads into its own field and a save writes back through a file what was loaded,
// unsaved values excepted; a text of its capacity fits, one more byte or a value of the wrong
// type takes the default; a text over its buffer (also in two-byte letters) is not saved.
template <class Record, class Load, class Save>
void ExpectEveryValueRoundTrips(const char* record, std::span<const SettingValue<Record>> table, Load load, Save save) {
  SCOPED_TRACE(record);
  MemorySettingsStore empty, distinct, overlong, wrongType;
  const test::TempFolder folder;
  FileSettingsStore saved(folder / "saved.conf");
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
  Record tooLong = loaded, tooWide = loaded;
  for (const auto& value : table) {
    if (value.text == nullptr) continue;
    tooLong.*value.text = std::string(value.textCapacity + 1, 'z');
    while ((tooWide.*value.text).size() <= value.textCapacity) tooWide.*value.text += "\u00E4";
  }
  ASSERT_TRUE(save(saved, loaded) && save(saved, tooLong) && save(saved, tooWide));
  FileSettingsStore reread(folder / "saved.conf");
  ASSERT_TRUE(reread.openSection(kSettingsSection));
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto& value = table[i];
    SCOPED_TRACE(value.name);
    if (value.number != nullptr) {
      EXPECT_EQ(loaded.*value.number, DistinctNumber(i));
      EXPECT_EQ(reread.readNumber(kSettingsSection, value.name),
                value.saved == Saved::Yes ? std::optional(DistinctNumber(i)) : std::nullopt);
    } else {
      EXPECT_EQ(loaded.*value.text, DistinctText(i, value.textCapacity));
      EXPECT_EQ(reread.readText(kSettingsSection, value.name),
                value.saved == Saved::Yes ? std::optional(DistinctText(i, value.textCapacity)) : std::nullopt);
    }
  }
}

TEST(SettingsRecords, EveryValueRoundTripsAndOverlongOrMistypedValuesTakeTheDefault) {
  ExpectEveryValueRoundTrips("program", ProgramSettingValues(), LoadProgramSettings, SaveProgramSettings);
  ExpectEveryValueRoundTrips("files", FileSettingValues(), LoadFiles, SaveFileSettings);
  ExpectEveryValueRoundTrips("window", WindowStateSettingValues(), LoadWindowState, SaveWindowState);
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
    "CommunicationTimeoutSwitchToLoader=5000 CommunicationTimeoutSwitchToFirmware=10000 "
    "CommunicationTimeoutConnect=5000 DataReadWriteRequestDelay=25 DataReadWriteMaxPendingRequests=5 "
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
  // The three records share one section, whose names compare without regard to case.
  std::set<std::string_view, SettingsNameLess> names;
  const auto add = [&](const auto& table) {
    for (const auto& value : table) EXPECT_TRUE(names.insert(value.name).second) << value.name;
  };
  add(ProgramSettingValues());
  add(FileSettingValues());
  add(WindowStateSettingValues());
  std::string unsaved;
  const ProgramSettings defaults;
  for (const auto& value : ProgramSettingValues()) {
    if (value.saved == Saved::No) {
      unsaved += std::string(value.name) + "=" + std::to_string(defaults.*value.number) + " ";
    }
  }
  EXPECT_EQ(unsaved, kUnsavedDefaults);
  MemorySettingsStore empty;  // the folders default to the working directory
  EXPECT_FALSE(CurrentDirectory().empty());
  EXPECT_EQ(LoadFileSettings(empty).browsePathCdr, CurrentDirectory());
}

// Not the tables' defaults: the window's initial values, and saves that fail.
TEST(SettingsRecords, UnopenableSectionsKeepTheInitialValues) {
  MemorySettingsStore store;
  store.writeNumber(kSettingsSection, "Toolbar", 0);
  store.writeText(kRecentDocumentSection, Document(1), "/a.cfg");
  store.denyAccess(kSettingsSection);
  store.denyAccess(kRecentDocumentSection);
  const auto state = LoadWindowState(store);
  EXPECT_EQ(state.cmdbarFirst, 0u);
  EXPECT_EQ(state.oneLineRebar, 1u);
  EXPECT_EQ(state.toolbar, 1u);
  EXPECT_FALSE(state.normalRect().has_value());
  EXPECT_FALSE(SaveWindowState(store, state));
  const auto files = LoadRecentFiles(store);
  EXPECT_TRUE(files.entries().empty());
  EXPECT_EQ(files.capacity(), kDefaultRecentFiles);
  EXPECT_FALSE(SaveRecentFiles(store, files));
  EXPECT_FALSE(SaveProgramSettings(store, LoadProgramSettings(store)));
}

TEST(WindowStateSettings, NormalRectangleOrDefaultPlacement) {
  const struct {
    const char* name;
    std::optional<std::uint32_t> x, y, cx, cy;  // empty: not stored
    std::optional<WindowRect> expected;         // empty: the system's default placement
  } rows[] = {
      {"all-stored", 100, 50, 800, 600, WindowRect{100, 50, 900, 650}},
      {"x-missing", {}, 50, 800, 600, std::nullopt},
      {"cx-missing", 100, 50, {}, 600, std::nullopt},
      {"cy-missing", 100, 50, 800, {}, std::nullopt},
      {"right-edge-minus-one", 10, 50, kUnsetCoordinate - 10, 600, std::nullopt},
      {"negative-left-on-second-screen", 0xFFFFF830 /* -2000 */, 0, 800, 600, WindowRect{-2000, 0, -1200, 600}},
  };
  for (const auto& row : rows) {
    MemorySettingsStore store;
    for (const auto& [name, value] : {std::pair{"x", row.x}, {"y", row.y}, {"cx", row.cx}, {"cy", row.cy}}) {
      if (value) store.writeNumber(kSettingsSection, name, *value);
    }
    EXPECT_EQ(LoadWindowState(store).normalRect(), row.expected) << row.name;
  }
}

TEST(WindowStateSettings, AWindowOffEveryPresentScreenIsCentredOnThePrimary) {
  const std::vector<WindowRect> screens{{0, 0, 1920, 1040}, {-1280, 0, 0, 1024}};  // the primary first
  const WindowRect centred{560, 220, 1360, 820};
  const struct { const char* name; WindowRect stored, placed; } rows[] = {
      {"on_the_second_screen", {-1200, 10, -400, 610}, {-1200, 10, -400, 610}},
      {"title_just_reachable", {1820, 1030, 2620, 1630}, {1820, 1030, 2620, 1630}},
      {"screen_gone_to_the_right", {2000, 100, 2800, 700}, centred},
      {"title_above_every_screen", {100, -700, 900, -100}, centred},
      {"too_large_for_the_primary", {3000, 0, 6000, 2000}, {0, 0, 1920, 1040}},
  };
  for (const auto& row : rows) EXPECT_EQ(PlaceOnScreens(row.stored, screens), row.placed) << row.name;
  EXPECT_EQ(PlaceOnScreens(rows[2].stored, {}), rows[2].stored) << "no screens known: as stored";
}

// Loaded before each capture: menu bar not first, rebar on two rows.
TEST(WindowStateSettings, CaptureFollowsTheBars) {
  const struct { const char* name; std::optional<RebarState> rebar; std::uint32_t toolbar, cmdbar, oneLine; } rows[] = {
      {"toolbar-shown-one-row", RebarState{true, true, true}, 1, 1, 1},
      {"toolbar-hidden-keeps-row-count", RebarState{false, false, true}, 0, 0, 0},
      {"no-rebar", std::nullopt, 0, 0, 0},
  };
  for (const auto& row : rows) {
    MemorySettingsStore store;
    store.writeNumber(kSettingsSection, "CmdbarFirst", 0);
    store.writeNumber(kSettingsSection, "OneLineRebar", 0);
    auto state = LoadWindowState(store);
    state.capture({{}, false, row.rebar, true});
    EXPECT_EQ(state.toolbar, row.toolbar) << row.name;
    EXPECT_EQ(state.cmdbarFirst, row.cmdbar) << row.name;
    EXPECT_EQ(state.oneLineRebar, row.oneLine) << row.name;
  }
}

TEST(RecentFiles, AddPutsPathsFirstRemoveAndShrinkDropThem) {
  RecentFiles files(3);
  for (const char* path : {"/a", "/b", "/c", "/a"}) files.add(path);
  EXPECT_EQ(files.entries(), (Paths{"/a", "/c", "/b"}));
  files.add("/d");
  files.add("");
  EXPECT_EQ(files.entries(), (Paths{"/d", "/a", "/c"}));
  EXPECT_TRUE(files.remove("/a"));
  EXPECT_FALSE(files.remove("/a"));
  EXPECT_EQ(files.entries(), (Paths{"/d", "/c"}));
  files.add("/e");
  files.setCapacity(2);
  EXPECT_EQ(files.entries(), (Paths{"/e", "/d"}));
}

TEST(RecentFiles, DocumentCountIsLimitedOnLoading) {
  const struct { std::optional<std::uint32_t> stored; std::size_t expected; } rows[] = {
      {0, 2}, {1, 2}, {2, 2}, {16, 16}, {99, 16}, {std::nullopt, 4}};
  for (const auto& row : rows) {
    MemorySettingsStore store;
    if (row.stored) store.writeNumber(kRecentDocumentSection, "DocumentCount", *row.stored);
    EXPECT_EQ(LoadRecentFiles(store).capacity(), row.expected) << (row.stored ? std::to_string(*row.stored) : "none");
  }
}

// A path over its buffer in bytes, also in two-byte letters, would not read
// back after a save: it is not listed. A save leaves no entry past the list.
TEST(RecentFiles, LoadSkipsOverlongPathsAndSaveDeletesStaleEntries) {
  MemorySettingsStore store;
  const std::string longest(259, 'p');
  std::string wideLetters;
  for (int i = 0; i < 130; ++i) wideLetters += "\u00E4";  // 130 characters, 260 bytes
  store.writeNumber(kRecentDocumentSection, "DocumentCount", 6);  // Document2 missing
  store.writeText(kRecentDocumentSection, Document(1), "/newest.cfg");
  store.writeText(kRecentDocumentSection, Document(3), std::string(260, 'q'));
  store.writeText(kRecentDocumentSection, Document(4), longest);
  store.writeText(kRecentDocumentSection, Document(5), wideLetters);
  store.writeText(kRecentDocumentSection, Document(6), "/oldest.cfg");
  store.writeText(kRecentDocumentSection, Document(7), "/beyond-capacity.cfg");
  store.writeText(kRecentDocumentSection, Document(16), "/of-a-longer-list.cfg");
  RecentFiles files = LoadRecentFiles(store);
  EXPECT_EQ(files.entries(), (Paths{"/newest.cfg", longest, "/oldest.cfg"}));
  files.remove(longest);
  ASSERT_TRUE(SaveRecentFiles(store, files));
  EXPECT_EQ(store.readNumber(kRecentDocumentSection, "DocumentCount"), 6u);
  EXPECT_EQ(store.readText(kRecentDocumentSection, Document(1)), "/newest.cfg");
  EXPECT_EQ(store.readText(kRecentDocumentSection, Document(2)), "/oldest.cfg");
  for (int number = 3; number <= 16; ++number) EXPECT_FALSE(store.contains(kRecentDocumentSection, Document(number)));
}

}  // namespace
}  // namespace tusko
