#include "app/gui/PaneFocus.h"

#include <vector>

#include <QApplication>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>

namespace tusko::gui {

namespace {

std::vector<QWidget*> Panes(QTabWidget& tabs) {
  std::vector<QWidget*> panes;
  QWidget* page = tabs.currentWidget();
  if (auto* split = qobject_cast<QSplitter*>(page)) {
    for (int i = 0; i < split->count(); ++i) {
      if (split->widget(i)->isVisible()) panes.push_back(split->widget(i));
    }
  } else if (page != nullptr) {
    panes.push_back(page);
  }
  panes.push_back(tabs.tabBar());
  return panes;
}

bool TakesFocus(const QWidget& widget) {
  return (widget.focusPolicy() & Qt::TabFocus) != 0 && widget.isVisible() && widget.isEnabled();
}

QWidget* FocusTarget(QWidget& pane) {
  if (TakesFocus(pane)) return &pane;
  if (QWidget* last = pane.focusWidget(); last != nullptr && pane.isAncestorOf(last) && TakesFocus(*last)) return last;
  // The focus chain runs through the whole window in Tab order.
  for (QWidget* widget = pane.nextInFocusChain(); widget != &pane; widget = widget->nextInFocusChain()) {
    if (pane.isAncestorOf(widget) && TakesFocus(*widget)) return widget;
  }
  return nullptr;
}

}  // namespace

void MoveFocusToPane(QTabWidget& tabs, int step) {
  const std::vector<QWidget*> panes = Panes(tabs);
  const int count = static_cast<int>(panes.size());
  const QWidget* focus = QApplication::focusWidget();
  // Outside every pane, the next pane is the first and the one before the last.
  int at = step > 0 ? -1 : count;
  for (int i = 0; i < count; ++i) {
    if (focus != nullptr && (panes[i] == focus || panes[i]->isAncestorOf(focus))) at = i;
  }
  for (int tried = 0; tried < count; ++tried) {
    at = ((at + step) % count + count) % count;
    if (QWidget* target = FocusTarget(*panes[at])) {
      target->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
}

}  // namespace tusko::gui
