#include "app/settings/WindowStateSettings.h"

#include <algorithm>
#include <array>

namespace tusko {
namespace {

using W = WindowStateSettings;
using Value = SettingValue<W>;

constexpr std::array kValues{
    NumberValue("x", &W::x, kUnsetCoordinate),
    NumberValue("y", &W::y, kUnsetCoordinate),
    NumberValue("cx", &W::cx, kUnsetCoordinate),
    NumberValue("cy", &W::cy, kUnsetCoordinate),
    NumberValue("Maximized", &W::maximized, 0),
    NumberValue("Toolbar", &W::toolbar, 1),
    NumberValue("CmdbarFirst", &W::cmdbarFirst, 1),
    NumberValue("OneLineRebar", &W::oneLineRebar, 0),
    NumberValue("Statusbar", &W::statusbar, 1),
};

constexpr std::uint32_t kUnopenedCmdbarFirst = 0;
constexpr std::uint32_t kUnopenedOneLineRebar = 1;

std::uint32_t Flag(bool on) { return on ? 1 : 0; }

// How much of the window's top strip must lie on one screen for the user to reach it, in pixels.
constexpr std::int32_t kTitleStripHeight = 30;
constexpr std::int32_t kReachableTitleWidth = 100;

std::int32_t Overlap(std::int32_t low1, std::int32_t high1, std::int32_t low2, std::int32_t high2) {
  return std::max(0, std::min(high1, high2) - std::max(low1, low2));
}

bool TitleReachable(const WindowRect& window, const WindowRect& screen) {
  const std::int32_t width = window.right - window.left;
  const std::int32_t stripBottom = window.top + std::min(kTitleStripHeight, window.bottom - window.top);
  return Overlap(window.left, window.right, screen.left, screen.right) >= std::min(kReachableTitleWidth, width) &&
         Overlap(window.top, stripBottom, screen.top, screen.bottom) > 0;
}

}  // namespace

WindowStateSettings::WindowStateSettings() {
  AssignDefaults<W>(*this, kValues);
  cmdbarFirst = kUnopenedCmdbarFirst;
  oneLineRebar = kUnopenedOneLineRebar;
}

WindowRect PlaceOnScreens(const WindowRect& window, std::span<const WindowRect> screens) {
  if (screens.empty() ||
      std::any_of(screens.begin(), screens.end(), [&](const WindowRect& s) { return TitleReachable(window, s); })) {
    return window;
  }
  const WindowRect& primary = screens.front();
  const std::int32_t width = std::min(window.right - window.left, primary.right - primary.left);
  const std::int32_t height = std::min(window.bottom - window.top, primary.bottom - primary.top);
  const std::int32_t left = primary.left + (primary.right - primary.left - width) / 2;
  const std::int32_t top = primary.top + (primary.bottom - primary.top - height) / 2;
  return {left, top, left + width, top + height};
}

std::optional<WindowRect> WindowStateSettings::normalRect() const {
  // Stored numbers are 32-bit two's complement; the sums wrap as they would there.
  // A missing width or height is checked on its own: added to a left or top
  // edge it would not show as -1 and would give an inside-out window.
  const std::uint32_t right = x + cx;
  const std::uint32_t bottom = y + cy;
  for (const auto number : {x, y, cx, cy, right, bottom}) {
    if (number == kUnsetCoordinate) return std::nullopt;
  }
  return WindowRect{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y), static_cast<std::int32_t>(right),
                    static_cast<std::int32_t>(bottom)};
}

void WindowStateSettings::capture(const WindowSnapshot& snapshot) {
  const auto& rect = snapshot.normalRect;
  x = static_cast<std::uint32_t>(rect.left);
  y = static_cast<std::uint32_t>(rect.top);
  cx = static_cast<std::uint32_t>(rect.right) - static_cast<std::uint32_t>(rect.left);
  cy = static_cast<std::uint32_t>(rect.bottom) - static_cast<std::uint32_t>(rect.top);
  maximized = Flag(snapshot.maximized);
  toolbar = Flag(snapshot.rebar && snapshot.rebar->toolbarShown);
  if (snapshot.rebar) {
    cmdbarFirst = Flag(snapshot.rebar->menuBarFirst);
    if (snapshot.rebar->toolbarShown) oneLineRebar = Flag(snapshot.rebar->oneRow);
  }
  statusbar = Flag(snapshot.statusbarVisible);
}

std::span<const Value> WindowStateSettingValues() { return kValues; }

WindowStateSettings LoadWindowState(SettingsStore& store) {
  WindowStateSettings settings;
  LoadValues<W>(store, kSettingsSection, settings, kValues);
  return settings;
}

bool SaveWindowState(SettingsStore& store, const WindowStateSettings& settings) {
  return SaveValues<W>(store, kSettingsSection, settings, kValues);
}

}  // namespace tusko
