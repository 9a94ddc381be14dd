#include "app/gui/TabPages.h"

#include <QApplication>
#include <QStyle>
#include <QTabWidget>

#include "app/gui/UiText.h"
#include "app/language/LanguageManager.h"

namespace tusko::gui {

namespace {

constexpr std::array<const char*, kTabPageCount> kTabTextKeys = {"strTabConfiguration", "strTabCommunication",
                                                                 "strTabMonitor", "strTabDiagnostics"};
constexpr std::array<QStyle::StandardPixmap, kTabPageCount> kTabIcons = {
    QStyle::SP_FileDialogDetailedView, QStyle::SP_DriveNetIcon, QStyle::SP_FileDialogContentsView,
    QStyle::SP_ComputerIcon};

QString TabText(const LanguageManager* language, int index) {
  return language == nullptr ? QString(kTabTextKeys[index]) : ToQString(language->GetString(kTabTextKeys[index]));
}

}  // namespace

void TabPages::SetPage(TabPageId id, QWidget& page, bool shown) {
  pages_[Index(id)] = &page;
  // A hidden page stays a child of the tab view, out of sight.
  if (shown) {
    Append(id);
  } else {
    page.hide();
  }
}

bool TabPages::IsShown(TabPageId id) const {
  QWidget* page = pages_[Index(id)];
  return page != nullptr && tabs_.indexOf(page) >= 0;
}

void TabPages::Append(TabPageId id) {
  tabs_.addTab(pages_[Index(id)], QApplication::style()->standardIcon(kTabIcons[Index(id)]), TabText(language_, Index(id)));
}

void TabPages::Toggle(TabPageId id) {
  if (!Exists(id)) return;
  if (IsShown(id)) {
    tabs_.removeTab(tabs_.indexOf(pages_[Index(id)]));
  } else {
    Append(id);
  }
}

std::optional<TabPageId> TabPages::Current() const {
  QWidget* current = tabs_.currentWidget();
  for (int i = 0; i < kTabPageCount; ++i) {
    if (current != nullptr && pages_[i] == current) return static_cast<TabPageId>(i);
  }
  return std::nullopt;
}

void TabPages::Select(TabPageId id) {
  if (IsShown(id)) tabs_.setCurrentWidget(pages_[Index(id)]);
}

void TabPages::Next() {
  const int count = tabs_.count();
  if (count > 1) tabs_.setCurrentIndex((tabs_.currentIndex() + 1) % count);
}

void TabPages::Previous() {
  const int count = tabs_.count();
  if (count > 1) tabs_.setCurrentIndex((tabs_.currentIndex() + count - 1) % count);
}

void TabPages::Translate(const LanguageManager& language) {
  language_ = &language;
  for (int i = 0; i < kTabPageCount; ++i) {
    if (const int index = pages_[i] == nullptr ? -1 : tabs_.indexOf(pages_[i]); index >= 0) {
      tabs_.setTabText(index, TabText(language_, i));
    }
  }
}

}  // namespace tusko::gui
