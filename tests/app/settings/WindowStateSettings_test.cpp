#include "app/settings/WindowStateSettings.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/settings/MemorySettingsStore.h"

namespace tusko {
namespace {

constexpr std::uint32_t kMinusOne = 0xFFFFFFFF;

// Not the table's defaults: the record's initial values, and a save that fails.
TEST(WindowStateSettings, UnopenableSectionKeepsTheInitialValues) {
  MemorySettingsStore store;
  store.writeNumber(kSettingsSection, "Toolbar", 0);
  store.denyAccess(kSettingsSection);
  const auto state = LoadWindowState(store);
  EXPECT_EQ(state.cmdbarFirst, 0u);
  EXPECT_EQ(state.oneLineRebar, 1u);
  EXPECT_EQ(state.toolbar, 1u);
  EXPECT_EQ(state.statusbar, 1u);
  EXPECT_EQ(state.maximized, 0u);
  EXPECT_FALSE(state.normalRect().has_value());
  EXPECT_FALSE(SaveWindowState(store, state));
}

struct PlacementRow {
  const char* name;
  std::optional<std::uint32_t> x, y, cx, cy;  // empty: not stored
  std::optional<WindowRect> expected;         // empty: the system's default placement
};

const PlacementRow kPlacementRows[] = {
    {"all-stored", 100, 50, 800, 600, WindowRect{100, 50, 900, 650}},
    {"nothing-stored", {}, {}, {}, {}, std::nullopt},
    {"x-missing", {}, 50, 800, 600, std::nullopt},
    {"cx-missing", 100, 50, {}, 600, std::nullopt},
    {"cy-missing", 100, 50, 800, {}, std::nullopt},
    {"cy-minus-one-at-top-zero", 100, 0, 800, kMinusOne, std::nullopt},
    {"x-minus-one", kMinusOne, 50, 800, 600, std::nullopt},
    {"right-edge-minus-one", 10, 50, kMinusOne - 10, 600, std::nullopt},
    {"negative-left-on-second-screen", 0xFFFFF830 /* -2000 */, 0, 800, 600, WindowRect{-2000, 0, -1200, 600}},
};

TEST(WindowStateSettings, NormalRectangleOrDefaultPlacement) {
  for (const auto& row : kPlacementRows) {
    SCOPED_TRACE(row.name);
    MemorySettingsStore store;
    for (const auto& [name, value] : {std::pair{"x", row.x}, {"y", row.y}, {"cx", row.cx}, {"cy", row.cy}}) {
      if (value) store.writeNumber(kSettingsSection, name, *value);
    }
    EXPECT_EQ(LoadWindowState(store).normalRect(), row.expected);
  }
}

struct CaptureRow {
  const char* name;
  WindowSnapshot snapshot;
  std::uint32_t toolbar, cmdbarFirst, oneLineRebar;
};

// Loaded before each capture: menu bar not first, rebar on two rows.
constexpr std::uint32_t kLoadedCmdbarFirst = 0;
constexpr std::uint32_t kLoadedOneLineRebar = 0;

const CaptureRow kCaptureRows[] = {
    {"toolbar-shown-one-row", {{}, false, RebarState{true, true, true}, true}, 1, 1, 1},
    {"toolbar-shown-two-rows", {{}, false, RebarState{true, false, false}, true}, 1, 0, 0},
    {"toolbar-hidden-keeps-row-count", {{}, false, RebarState{false, true, true}, true}, 0, 1, kLoadedOneLineRebar},
    {"no-rebar", {{}, false, std::nullopt, true}, 0, kLoadedCmdbarFirst, kLoadedOneLineRebar},
};

TEST(WindowStateSettings, AWindowOffEveryPresentScreenIsCentredOnThePrimary) {
  const WindowRect primary{0, 0, 1920, 1040};
  const WindowRect leftScreen{-1280, 0, 0, 1024};
  const std::vector<WindowRect> screens{primary, leftScreen};
  const struct {
    const char* name;
    WindowRect stored;
    WindowRect placed;
  } rows[] = {
      {"on_the_primary", {100, 50, 900, 650}, {100, 50, 900, 650}},
      {"on_the_second_screen", {-1200, 10, -400, 610}, {-1200, 10, -400, 610}},
      {"title_just_reachable", {1820, 1030, 2620, 1630}, {1820, 1030, 2620, 1630}},
      {"screen_gone_to_the_right", {2000, 100, 2800, 700}, {560, 220, 1360, 820}},
      {"title_above_every_screen", {100, -700, 900, -100}, {560, 220, 1360, 820}},
      {"too_large_for_the_primary", {3000, 0, 6000, 2000}, {0, 0, 1920, 1040}},
  };
  for (const auto& row : rows) EXPECT_EQ(PlaceOnScreens(row.stored, screens), row.placed) << row.name;
  EXPECT_EQ(PlaceOnScreens(rows[3].stored, {}), rows[3].stored) << "no screens known: as stored";
}

TEST(WindowStateSettings, CaptureFollowsTheBars) {
  for (const auto& row : kCaptureRows) {
    SCOPED_TRACE(row.name);
    MemorySettingsStore store;
    store.writeNumber(kSettingsSection, "CmdbarFirst", kLoadedCmdbarFirst);
    store.writeNumber(kSettingsSection, "OneLineRebar", kLoadedOneLineRebar);
    auto state = LoadWindowState(store);
    state.capture(row.snapshot);
    EXPECT_EQ(state.toolbar, row.toolbar);
    EXPECT_EQ(state.cmdbarFirst, row.cmdbarFirst);
    EXPECT_EQ(state.oneLineRebar, row.oneLineRebar);
  }
}

}  // namespace
}  // namespace tusko
