#include "app/gui/ConnectWaitDialog.h"

#include <QApplication>

namespace tusko::gui {

ConnectWaitDialog::ConnectWaitDialog(std::function<bool()> settled, QWidget* parent, std::chrono::milliseconds period)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), settled_(std::move(settled)) {
  // Modal but not seen: a transparent dot the user cannot notice.
  setWindowOpacity(0);
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(1, 1);
  connect(&look_, &QTimer::timeout, this, [this] {
    if (!settled_()) return;
    look_.stop();
    done(1);
  });
  look_.start(period);
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

ConnectWaitDialog::~ConnectWaitDialog() { QApplication::restoreOverrideCursor(); }

}  // namespace tusko::gui
