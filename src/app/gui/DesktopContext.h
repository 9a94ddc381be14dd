#pragma once

#include "app/settings/FileSettings.h"
#include "app/settings/ProgramSettings.h"
#include "app/settings/RecentFiles.h"
#include "app/settings/SettingsStore.h"
#include "app/settings/WindowStateSettings.h"

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
