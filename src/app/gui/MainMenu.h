#pragma once

#include <map>
#include <string>
#include <vector>

#include <QObject>

#include "app/gui/CommandIds.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// The main window's menu bar, toolbar and the log pages' context menu, built
// with language keys as their texts and translated from them: popup items
// show the part after the language text's backslash as their shortcut text.
// Every item triggers `command` with its number.
class MainMenu final : public QObject {
  Q_OBJECT

 public:
  // Without the communication log the Service menu has no Communication item.
  MainMenu(QMainWindow& window, bool withCommunicationItem);

  // The item of a command; null for one the menus do not hold.
  QAction* action(Command command) const;
  QToolBar& toolbar() const { return *toolbar_; }
  QMenu& logContextMenu() const { return *contextMenu_; }

  void Translate(const LanguageManager& language);
  // The recent-file items of the File menu, "&1 path" onward.
  void SetRecentFiles(const std::vector<std::string>& paths);

 signals:
  void command(int id);

 private:
  QAction* AddItem(QMenu& menu, const char* key, Command id, bool checkable = false);
  void BuildToolbar(QMainWindow& window);

  std::map<Command, QAction*> actions_;
  std::map<QAction*, std::string> keys_;  // items and menus by their language key
  std::vector<QMenu*> topMenus_;
  QMenu* fileMenu_ = nullptr;
  QAction* recentAnchor_ = nullptr;  // the separator the recent files follow
  std::vector<QAction*> recentItems_;
  QToolBar* toolbar_ = nullptr;
  QMenu* contextMenu_ = nullptr;
};

}  // namespace tusko::gui
