#pragma once

#include <array>
#include <optional>

class QTabWidget;
class QWidget;

namespace tusko {
class LanguageManager;
}

namespace tusko::gui {

// The main window's pages, known by their id whatever their position.
enum class TabPageId : int { Configuration = 0, Communication = 1, Monitor = 2, Diagnostics = 3 };
inline constexpr int kTabPageCount = 4;

// The tab view of the main window: the configuration and diagnostics pages
// always, the communication log and the monitor only while the user shows them.
class TabPages {
 public:
  explicit TabPages(QTabWidget& tabs) : tabs_(tabs) {}

  // Registers a page; `shown` pages are appended to the tab view at once.
  void SetPage(TabPageId id, QWidget& page, bool shown);
  bool Exists(TabPageId id) const { return pages_[Index(id)] != nullptr; }
  bool IsShown(TabPageId id) const;
  // Removes a shown page's tab or appends a hidden one's (not selected).
  void Toggle(TabPageId id);
  std::optional<TabPageId> Current() const;
  void Select(TabPageId id);
  // Next and previous wrap around; with one tab nothing happens.
  void Next();
  void Previous();
  void Translate(const LanguageManager& language);

 private:
  static int Index(TabPageId id) { return static_cast<int>(id); }
  void Append(TabPageId id);

  QTabWidget& tabs_;
  std::array<QWidget*, kTabPageCount> pages_{};
  const LanguageManager* language_ = nullptr;
};

}  // namespace tusko::gui
