#pragma once

#include <filesystem>

class QWidget;

#include "app/gui/DesktopContext.h"
#include "config/ConfigurationImage.h"

namespace tusko::gui {

class ConfigurationView;

// What the file commands need from the main window.
class DocumentWindow {
 public:
  virtual ~DocumentWindow() = default;
  virtual QWidget& window() = 0;
  // Brings the configuration tab forward so that a page's error can be seen.
  virtual void ShowConfigurationTab() = 0;
  // The document's name, flags or the recent files changed.
  virtual void DocumentStateChanged() = 0;
};

// The file commands of the configuration: New, Open, Save, Save As, Close,
// the recent files and dropped files, the save question before a document
// is replaced or the program ends, and a configuration read from the gateway.
class DocumentCommands {
 public:
  DocumentCommands(DocumentWindow& window, ConfigurationView& view, DesktopContext& context);

  // The save question: true when the configuration may be discarded.
  bool MayDiscard();
  void New();
  void Open();
  void Save();
  void SaveAs();
  void Close();
  void OpenRecent(int index);
  void OpenDropped(const std::filesystem::path& path);
  // A configuration read from the gateway; refused without its signature
  // unless the user then wants a new one.
  void TakeReceived(const ConfigurationImage& image);
  // Applies the open page; on failure its error shows on the configuration tab.
  bool ApplyCurrentPage();

 private:
  bool OpenFile(const std::filesystem::path& path);
  bool SaveTo(const std::optional<std::filesystem::path>& path);
  void Remember(const std::filesystem::path& path);

  DocumentWindow& window_;
  ConfigurationView& view_;
  DesktopContext& context_;
};

}  // namespace tusko::gui
