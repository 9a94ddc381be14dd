#pragma once

#include <chrono>
#include <functional>

#include <QObject>
#include <QTimer>

class QTreeWidget;

namespace tusko::gui {

// Tells a selection made with the mouse from a keyboard step in a tree, and
// holds a keyboard step back for a pause, so that moving through the tree
// with the arrow keys does not build every page on the way.
class TreeStepPacer final : public QObject {
  Q_OBJECT

 public:
  static constexpr std::chrono::milliseconds kKeyboardPauseMs{500};

  // `onPause` runs when a deferred keyboard step's pause is over.
  TreeStepPacer(QTreeWidget& tree, std::function<void()> onPause);

  // Whether the last selection came from the mouse (or from the program,
  // which counts as a click).
  bool ByMouse() const { return byMouse_; }
  // The next selection counts as a click.
  void MarkMouse() { byMouse_ = true; }
  // Starts (or restarts) the pause.
  void Defer() { pause_.start(); }
  void Cancel() { pause_.stop(); }
  bool Waiting() const { return pause_.isActive(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Compared only, never used: the tree may be half destroyed when the last events come.
  const QObject* tree_;
  const QObject* viewport_;
  QTimer pause_;
  bool byMouse_ = true;
};

}  // namespace tusko::gui
