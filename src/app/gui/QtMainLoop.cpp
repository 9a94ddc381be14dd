#include "app/gui/QtMainLoop.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>

namespace tusko::gui {

namespace {

// How often a nested run looks at its condition.
constexpr std::chrono::milliseconds kRunUntilPollMs{5};

}  // namespace

QtMainLoop::QtMainLoop() = default;
QtMainLoop::~QtMainLoop() = default;

void QtMainLoop::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
}

MainLoop::TimerId QtMainLoop::StartTimer(std::chrono::milliseconds delay, std::function<void()> callback, bool repeat) {
  const TimerId id = nextTimerId_++;
  auto timer = std::make_unique<QTimer>();
  timer->setTimerType(Qt::PreciseTimer);
  timer->setSingleShot(!repeat);
  timer->setInterval(delay);
  QObject::connect(timer.get(), &QTimer::timeout, this, [this, id, repeat, callback = std::move(callback)] {
    // A one-shot timer is gone before its callback runs, which may arm a new one.
    const auto keep = callback;
    if (!repeat) {
      if (auto found = timers_.find(id); found != timers_.end()) {
        found->second.release()->deleteLater();
        timers_.erase(found);
      }
    }
    keep();
  });
  timer->start();
  timers_.emplace(id, std::move(timer));
  return id;
}

void QtMainLoop::CancelTimer(TimerId id) {
  const auto found = timers_.find(id);
  if (found == timers_.end()) return;
  found->second->stop();
  // The timer may be the one whose callback is running: delete it later.
  found->second.release()->deleteLater();
  timers_.erase(found);
}

void QtMainLoop::WatchReadable(int fd, std::function<void()> onReadable) {
  auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
  QObject::connect(notifier.get(), &QSocketNotifier::activated, this, [onReadable = std::move(onReadable)] { onReadable(); });
  watches_[fd] = std::move(notifier);
}

void QtMainLoop::Unwatch(int fd) { watches_.erase(fd); }

bool QtMainLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  if (done()) return true;
  QEventLoop nested;
  QTimer look;
  look.setInterval(kRunUntilPollMs);
  QObject::connect(&look, &QTimer::timeout, &nested, [&] {
    if (done()) nested.quit();
  });
  QTimer::singleShot(limit, &nested, &QEventLoop::quit);
  look.start();
  nested.exec();
  return done();
}

}  // namespace tusko::gui
