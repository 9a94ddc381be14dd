#pragma once

#include "app/gui/DesktopContext.h"
#include "app/gui/MessageService.h"
#include "app/language/LanguageManager.h"
#include "app/settings/FileSettings.h"
#include "app/settings/MemorySettingsStore.h"
#include "app/settings/ProgramSettings.h"
#include "app/settings/RecentFiles.h"
#include "app/settings/WindowStateSettings.h"
#include "gui/support/GuiLanguage.h"
#include "gui/support/ScriptedFiles.h"
#include "gui/support/ScriptedMessages.h"

namespace tusko::gui::test {

// What the main window is made with, held in memory: settings that are never
// saved, the delivered English texts, and message boxes and file dialogs
// answered by scripts. Free of any test framework, so benchmarks use it too.
struct DesktopTestContext {
  // Backups before a write go to the user's data folder: off unless a test gives one.
  DesktopTestContext() { settings_.configBackup = 0; }

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
};

}  // namespace tusko::gui::test
