#pragma once

#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "app/gui/MainWindow.h"
#include "gui/support/DesktopTestContext.h"
#include "support/SimulatorThread.h"

namespace tusko::gui::test {

// The real main window, set to reach the gateway simulator over loopback TCP,
// with its message boxes answered by a script and its settings in memory.
class MainWindowFixture : public testing::Test, protected DesktopTestContext {
 protected:
  MainWindowFixture();
  ~MainWindowFixture() override;

  // Makes the window; tests change the settings first where they need to.
  MainWindow& OpenWindow();
  MainWindow& window() { return *window_; }
  tusko::test::SimulatorThread& simulator() { return simulator_; }
  bool WaitForLinkState(LinkState state, int limitMs = 10000);
  std::string Text(std::string_view key) const { return language_.GetString(key); }

  tusko::test::SimulatorThread simulator_{tusko::test::Transport::Tcp};
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tusko::gui::test
