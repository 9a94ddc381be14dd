#pragma once

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QTimer>

namespace tusko::gui::test {

// Acts on the next modal dialog of type Dialog once it runs: a command that
// opens one with exec() returns only when it ends, so the test's hand must be
// in place before the command.
template <typename Dialog>
class ModalDriver {
 public:
  explicit ModalDriver(std::function<void(Dialog&)> act) : act_(std::move(act)) {
    QObject::connect(&look_, &QTimer::timeout, [this] {
      // Looked for among all windows: a box or notice opened after it may be
      // the active modal widget while the dialog's exec() still runs below.
      for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<Dialog*>(window);
        if (dialog == nullptr || !dialog->isVisible()) continue;
        look_.stop();
        seen_ = true;
        act_(*dialog);
        return;
      }
    });
    look_.start(kLookPeriodMs);
  }

  bool seen() const { return seen_; }

 private:
  static constexpr int kLookPeriodMs = 10;
  std::function<void(Dialog&)> act_;
  QTimer look_;
  bool seen_ = false;
};

}  // namespace tusko::gui::test
