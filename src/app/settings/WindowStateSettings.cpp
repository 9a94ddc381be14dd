#include "app/settings/WindowStateSettings.h"

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

}  // namespace

WindowStateSettings::WindowStateSettings() {
  AssignDefaults<W>(*this, kValues);
  cmdbarFirst = kUnopenedCmdbarFirst;
  oneLineRebar = kUnopenedOneLineRebar;
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
