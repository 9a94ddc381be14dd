#include "app/gui/DesktopProgram.h"

#include <memory>
#include <span>

#include <QApplication>

#include "app/gui/FileDialogs.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MessageService.h"
#include "app/language/LanguageFolder.h"
#include "app/language/LanguageManager.h"
#include "app/session/InstanceMark.h"
#include "app/settings/FileSettingsStore.h"
#include "app/settings/MemorySettingsStore.h"

#ifndef TUSKO_RESOURCES_DIR
#define TUSKO_RESOURCES_DIR "resources"
#endif

namespace tusko::gui {

namespace {

// The settings file of the user; a machine without a home folder keeps them for this run only.
std::unique_ptr<SettingsStore> OpenSettingsStore() {
  if (const auto file = FileSettingsStore::DefaultFilePath()) return std::make_unique<FileSettingsStore>(*file);
  return std::make_unique<MemorySettingsStore>();
}

}  // namespace

int RunDesktopProgram(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("DravenixIsdnTusko");
  QApplication::setOrganizationName("Ombrel");
  // Held until the process ends; without it the program runs all the same.
  const auto mark = InstanceMark::Take();

  const auto store = OpenSettingsStore();
  ProgramSettings settings = LoadProgramSettings(*store);
  FileSettings files = LoadFileSettings(*store);
  WindowStateSettings windowState = LoadWindowState(*store);
  RecentFiles recentFiles = LoadRecentFiles(*store);
  recentFiles.setCapacity(kRecentFileEntries);
  // For this run only: the settings are not saved at the end.
  if (CommandLineAsksForCommLog(std::span<char* const>(argv, static_cast<std::size_t>(argc)))) {
    settings.communicationLog = 1;
  }

  LanguageManager language(FindLanguageIndexFolder({InstalledDataFolder(), TUSKO_RESOURCES_DIR}));
  QtMessagePresenter presenter(language);
  MessageService messages(language, presenter);
  if (language.LoadLanguage(static_cast<int>(settings.language)) != LanguageLoadResult::Loaded) {
    messages.ShowFixed(std::string(kLoadErrorCaption), language.LoadErrorMessage(), kStyleError);
    return 0;
  }

  QtFileDialogPresenter fileDialogs(language);
  DesktopContext context{*store, settings, files, windowState, recentFiles, language, messages, fileDialogs};
  MainWindow window(context);
  window.OpenLinkQuietly();
  // A machine without a device watch (a container) still reaches gateways over TCP.
  window.FollowUsbDevices();
  if (windowState.maximized != 0) {
    window.showMaximized();
  } else {
    window.show();
  }
  const int exitCode = QApplication::exec();
  SaveFileSettings(*store, files);
  return exitCode;
}

}  // namespace tusko::gui
