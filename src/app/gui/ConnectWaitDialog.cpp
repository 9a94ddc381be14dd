#include "app/gui/ConnectWaitDialog.h"

#include <QApplication>

namespace tusko::gui {

ConnectWaitDialog::ConnectWaitDialog(std::function<bool()> settled, QWidget* parent, std::chrono::milliseconds period)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), settled_(std::move(settled)), period_(period) {
  // Modal but not seen: a transparent dot the user cannot notice.
  setWindowOpacity(0);
  setAttribute(Qt::WA_TranslucentBackground);
  setFixedSize(1, 1);
  connect(&look_, &QTimer::timeout, this, [this] {
    if (!settled_()) return;
    look_.stop();
    done(kSettled);
  });
  QApplication::setOverrideCursor(Qt::WaitCursor);
}

ConnectWaitDialog::~ConnectWaitDialog() { QApplication::restoreOverrideCursor(); }

void ConnectWaitDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  look_.start(period_);
}

}  // namespace tusko::gui
