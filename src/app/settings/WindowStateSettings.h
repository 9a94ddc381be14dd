#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "app/settings/SettingValue.h"
#include "app/settings/SettingsStore.h"

namespace tusko {

// A stored coordinate of -1 (also what a missing one counts as) asks for the
// system's default window position and size.
inline constexpr std::uint32_t kUnsetCoordinate = 0xFFFFFFFF;

struct WindowRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  bool operator==(const WindowRect&) const = default;
};

// The bands of the main window's rebar as the window closes.
struct RebarState {
  bool toolbarShown = false;
  bool menuBarFirst = false;  // the menu bar band has index 0
  bool oneRow = false;
};

// The main window as it closes, filled in by the window toolkit.
struct WindowSnapshot {
  WindowRect normalRect;       // the normal (restored) rectangle, also while maximized
  bool maximized = false;
  std::optional<RebarState> rebar;  // empty: the window has no rebar
  bool statusbarVisible = false;
};

// The main window's placement and bars. A new record holds the initial values
// kept when the settings cannot be opened at all: the loaded defaults except
// that the menu bar is not first and the rebar uses one row.
struct WindowStateSettings {
  WindowStateSettings();
  bool operator==(const WindowStateSettings&) const = default;

  std::uint32_t x{};   // normal rectangle as stored: left, top, width, height
  std::uint32_t y{};
  std::uint32_t cx{};
  std::uint32_t cy{};
  std::uint32_t maximized{};
  std::uint32_t toolbar{};
  std::uint32_t cmdbarFirst{};
  std::uint32_t oneLineRebar{};
  std::uint32_t statusbar{};

  // The normal rectangle, or empty when the window takes the system's default
  // position and size: a coordinate, width, height or edge is -1 or missing.
  std::optional<WindowRect> normalRect() const;

  // Takes the window's state for saving. Without a rebar the toolbar counts as
  // hidden; the rebar's row count is only known while the toolbar is shown, so
  // otherwise the loaded one is kept.
  void capture(const WindowSnapshot& snapshot);
};

// The stored rectangle placed on the screens present now (their available
// areas, the primary first): kept when enough of its title strip lies on one
// of them to take it with the mouse; otherwise, as when its screen is gone,
// centred on the primary screen and made to fit it. Without screens it is kept.
WindowRect PlaceOnScreens(const WindowRect& window, std::span<const WindowRect> screens);

std::span<const SettingValue<WindowStateSettings>> WindowStateSettingValues();

// Always yields a record: what cannot be read takes its default.
WindowStateSettings LoadWindowState(SettingsStore& store);
bool SaveWindowState(SettingsStore& store, const WindowStateSettings& settings);

}  // namespace tusko
