#pragma once

#include "app/core/FileSettings.h"
#include "app/core/ProgramSettings.h"
#include "app/core/RecentFiles.h"
#include "app/core/SettingsStore.h"
#include "app/core/WindowStateSettings.h"

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

class FileDialogPresenter;
class MessageService;

// What the desktop program loads at start and its main window works with.
// Everything here outlives the window.
struct DesktopContext {
  SettingsStore& store;
  ProgramSettings& settings;
  FileSettings& files;
  WindowStateSettings& windowState;
  RecentFiles& recentFiles;
  LanguageManager& language;
  MessageService& messages;
  FileDialogPresenter& fileDialogs;
};

}  // namespace tusko::gui
