#include "app/gui/TreeStepPacer.h"

#include <utility>

#include <QEvent>
#include <QTreeWidget>

namespace tusko::gui {

TreeStepPacer::TreeStepPacer(QTreeWidget& tree, std::function<void()> onPause)
    : tree_(&tree), viewport_(tree.viewport()) {
  pause_.setSingleShot(true);
  pause_.setInterval(kKeyboardPauseMs);
  connect(&pause_, &QTimer::timeout, this, std::move(onPause));
  tree.viewport()->installEventFilter(this);
  tree.installEventFilter(this);
}

bool TreeStepPacer::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && watched == viewport_) byMouse_ = true;
  if (event->type() == QEvent::KeyPress && watched == tree_) byMouse_ = false;
  return QObject::eventFilter(watched, event);
}

}  // namespace tusko::gui
