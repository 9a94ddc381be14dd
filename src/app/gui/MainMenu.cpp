#include "app/gui/MainMenu.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"
#include "base/SafeFormat.h"

namespace tusko::gui {

namespace {

// A recent file's path is shortened to this many characters in its item.
constexpr std::size_t kMaxRecentPathChars = 128;
// What a shortened path keeps of its beginning; the rest is its end.
constexpr std::size_t kRecentPathHeadChars = 40;
constexpr const char* kEmptyRecentList = "(empty)";
constexpr const char* kTopMenuKey = "tuskoMenuKey";

std::string ShortenPath(const std::string& path) {
  if (path.size() <= kMaxRecentPathChars) return path;
  constexpr std::string_view kEllipsis = "...";
  const std::size_t tail = kMaxRecentPathChars - kRecentPathHeadChars - kEllipsis.size();
  return path.substr(0, kRecentPathHeadChars) + std::string(kEllipsis) + path.substr(path.size() - tail);
}

// A popup item's language text: the first backslash starts the shortcut text.
QString PopupItemText(const std::string& text) {
  QString item = ToQString(text);
  if (const qsizetype slash = item.indexOf('\\'); slash >= 0) item[slash] = '\t';
  return item;
}

struct ToolbarButton {
  Command id;
  QStyle::StandardPixmap icon;
};

constexpr ToolbarButton kToolbarButtons[] = {
    {Command::FileNew, QStyle::SP_FileIcon},
    {Command::FileOpen, QStyle::SP_DialogOpenButton},
    {Command::FileSave, QStyle::SP_DialogSaveButton},
    {Command::ReadConfiguration, QStyle::SP_ArrowDown},
    {Command::WriteConfiguration, QStyle::SP_ArrowUp},
    {Command::About, QStyle::SP_MessageBoxQuestion},
};

}  // namespace

MainMenu::MainMenu(QMainWindow& window, bool withCommunicationItem) : QObject(&window) {
  QMenuBar& bar = *window.menuBar();
  const auto addMenu = [&](const char* key) {
    QMenu* menu = bar.addMenu(key);
    menu->setProperty(kTopMenuKey, key);
    topMenus_.push_back(menu);
    return menu;
  };

  fileMenu_ = addMenu("menuFile");
  AddItem(*fileMenu_, "menuFileNew", Command::FileNew);
  AddItem(*fileMenu_, "menuFileOpen", Command::FileOpen);
  AddItem(*fileMenu_, "menuFileClose", Command::FileClose);
  AddItem(*fileMenu_, "menuFileSave", Command::FileSave);
  AddItem(*fileMenu_, "menuFileSaveAs", Command::FileSaveAs);
  fileMenu_->addSeparator();
  AddItem(*fileMenu_, "menuFileDownload", Command::ReadConfiguration);
  AddItem(*fileMenu_, "menuFileUpload", Command::WriteConfiguration);
  AddItem(*fileMenu_, "menuFileDownloadCdr", Command::DownloadCdr);
  recentAnchor_ = fileMenu_->addSeparator();
  fileMenu_->addSeparator();
  AddItem(*fileMenu_, "menuFileQuit", Command::FileQuit);

  QMenu* view = addMenu("menuView");
  AddItem(*view, "menuViewToolbar", Command::ViewToolbar, true);
  AddItem(*view, "menuViewStatusbar", Command::ViewStatusbar, true);

  QMenu* connection = addMenu("menuConnection");
  AddItem(*connection, "menuConnectionConnect", Command::Connect);
  AddItem(*connection, "menuConnectionDisconnect", Command::Disconnect);

  QMenu* options = addMenu("menuOptions");
  AddItem(*options, "menuOptionsCommunication", Command::CommunicationSettings);
  AddItem(*options, "menuOptionsLanguage", Command::Language);
  AddItem(*options, "menuOptionsPassword", Command::ChangePassword);
  AddItem(*options, "menuOptionsDateTime", Command::DateTime);

  QMenu* service = addMenu("menuService");
  AddItem(*service, "menuServiceSysInfo", Command::SystemInformation);
  AddItem(*service, "menuServiceReset", Command::Restart);
  AddItem(*service, "menuServiceWriteFirmware", Command::WriteFirmware);
  AddItem(*service, "menuServiceModuleReset", Command::ModuleRestart);
  AddItem(*service, "menuServiceLoadAnnouncement", Command::UpdateAnnouncement);
  service->addSeparator();
  AddItem(*service, "menuServiceMonitor", Command::ToggleMonitor, true);
  if (withCommunicationItem) AddItem(*service, "menuServiceCommunication", Command::ToggleCommunication, true);

  QMenu* help = addMenu("menuHelp");
  AddItem(*help, "menuHelpContents", Command::HelpContents);
  AddItem(*help, "menuHelpAbout", Command::About);

  contextMenu_ = new QMenu(&window);
  AddItem(*contextMenu_, "menuContextCopy", Command::Copy);
  AddItem(*contextMenu_, "menuContextClear", Command::Clear);
  contextMenu_->addSeparator();
  AddItem(*contextMenu_, "menuContextFind", Command::Find);
  AddItem(*contextMenu_, "menuContextFindNext", Command::FindNext);
  contextMenu_->addSeparator();
  AddItem(*contextMenu_, "menuContextSelectAll", Command::SelectAll);
  AddItem(*contextMenu_, "menuContextSaveAs", Command::LogSaveAs);

  BuildToolbar(window);
  SetRecentFiles({});
}

QAction* MainMenu::AddItem(QMenu& menu, const char* key, Command id, bool checkable) {
  QAction* item = menu.addAction(key);
  item->setCheckable(checkable);
  actions_[id] = item;
  keys_[item] = key;
  connect(item, &QAction::triggered, this, [this, id] { emit command(static_cast<int>(id)); });
  return item;
}

void MainMenu::BuildToolbar(QMainWindow& window) {
  toolbar_ = window.addToolBar(QStringLiteral("toolbar"));
  toolbar_->setObjectName("toolbar");
  toolbar_->setMovable(false);
  for (const ToolbarButton& button : kToolbarButtons) {
    if (button.id == Command::ReadConfiguration || button.id == Command::About) toolbar_->addSeparator();
    QAction* item = action(button.id);
    item->setIcon(QApplication::style()->standardIcon(button.icon));
    toolbar_->addAction(item);
  }
}

QAction* MainMenu::action(Command command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

void MainMenu::Translate(const LanguageManager& language) {
  if (language.IsDisabled()) return;
  // Menu-bar titles keep a backslash; popup items turn it into the shortcut text.
  for (QMenu* menu : topMenus_) {
    menu->setTitle(ToQString(language.GetMenuString(menu->property(kTopMenuKey).toString().toStdString())));
  }
  for (const auto& [item, key] : keys_) item->setText(PopupItemText(language.GetMenuString(key)));
  for (const ToolbarButton& button : kToolbarButtons) {
    const std::string tip = language.GetTooltip(static_cast<int>(button.id));
    // An empty tooltip leaves the item's own text as the tip.
    action(button.id)->setToolTip(tip.empty() ? action(button.id)->text().section('\t', 0, 0) : ToQString(tip));
  }
}

void MainMenu::SetRecentFiles(const std::vector<std::string>& paths) {
  for (QAction* item : recentItems_) {
    fileMenu_->removeAction(item);
    item->deleteLater();
  }
  recentItems_.clear();
  QAction* before = fileMenu_->actions().at(fileMenu_->actions().indexOf(recentAnchor_) + 1);
  if (paths.empty()) {
    auto* empty = new QAction(kEmptyRecentList, fileMenu_);
    empty->setEnabled(false);
    fileMenu_->insertAction(before, empty);
    recentItems_.push_back(empty);
    return;
  }
  for (std::size_t n = 0; n < paths.size() && n < static_cast<std::size_t>(kRecentFileEntries); ++n) {
    const std::string text = SafeFormat("&%i %s", {static_cast<int>(n + 1), ShortenPath(paths[n])}, kMaxRecentPathChars + 8);
    auto* item = new QAction(ToQString(text), fileMenu_);
    const int id = static_cast<int>(Command::FileRecentFirst) + static_cast<int>(n);
    connect(item, &QAction::triggered, this, [this, id] { emit command(id); });
    fileMenu_->insertAction(before, item);
    recentItems_.push_back(item);
  }
}

}  // namespace tusko::gui
