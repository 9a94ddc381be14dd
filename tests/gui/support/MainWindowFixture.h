#pragma once

#include <memory>
#include <optional>

#include <gtest/gtest.h>

#include "app/core/FileSettings.h"
#include "app/core/LanguageManager.h"
#include "app/core/MemorySettingsStore.h"
#include "app/core/ProgramSettings.h"
#include "app/core/RecentFiles.h"
#include "app/core/WindowStateSettings.h"
#include "app/gui/DesktopContext.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MessageService.h"
#include "gui/support/GuiLanguage.h"
#include "gui/support/ScriptedFiles.h"
#include "gui/support/ScriptedMessages.h"
#include "support/SimulatorThread.h"

namespace tusko::gui::test {

// The real main window, set to reach the gateway simulator over loopback TCP,
// with its message boxes answered by a script and its settings in memory.
class MainWindowFixture : public testing::Test {
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
  MemorySettingsStore store_;
  ProgramSettings settings_;
  FileSettings files_{"/tmp"};
  WindowStateSettings windowState_;
  RecentFiles recentFiles_;
  LanguageManager language_ = LoadedLanguage(1);
  ScriptedMessages boxes_;
  MessageService messages_{language_, boxes_};
  ScriptedFiles fileDialogs_;
  DesktopContext context_{store_, settings_, files_, windowState_, recentFiles_, language_, messages_, fileDialogs_};
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tusko::gui::test
