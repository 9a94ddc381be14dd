// The Monitor tab of the real main window taking a flood of trace text, on
// the offscreen platform. Reports:
//
//   BM_MonitorViewAtLinkSpeed   the simulator traces every category faster
//                               than a 115200 baud line carries, paced to
//                               that line, over loopback TCP.
//     worst_ms    the longest the window's event loop went without serving a
//                 1 ms timer while the trace flowed (a stall shows here)
//     x_wire      trace bytes shown per second against the line's wire rate
//                 at 11 bits per byte: the floor; framing takes the rest
//   BM_MonitorViewInProcess     1 MB/s of trace handed to the monitor log on
//                               the window's own thread, in 1 ms slices.
//     worst_ms    as above
//     x_target    bytes shown per second against the 1 MB/s offered
//   BM_MonitorViewAppendLine/N  one trace line appended and drawn with the
//                               view full at its limit of N lines, so every
//                               line also trims one.
//     x_wire      the time per line against the wire time of the line's
//                 bytes at 115200 baud: far below 1 keeps up with any line
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/gui/CommandIds.h"
#include "app/gui/MainWindow.h"
#include "app/gui/MonitorPage.h"
#include "app/gui/TabPages.h"
#include "EventLoopLatency.h"
#include "gui/support/DesktopTestContext.h"
#include "monitor/MonitorCategories.h"
#include "sim/LinePacer.h"
#include "support/SimulatorThread.h"

namespace {

using namespace tusko;
using namespace std::chrono_literals;
using gui::MainWindow;
using gui::bench::EventLoopLatency;
using gui::test::DesktopTestContext;
using test::SimulatorThread;
using test::Transport;

constexpr unsigned kLineBaud = 115200;
constexpr double kWireBytesPerSecond = double(kLineBaud) / sim::kBitsPerSerialByte;
// More than the line carries, so the line is the limit.
constexpr unsigned kFloodLinesPerSecond = 2000;
constexpr double kOfferedBytesPerSecond = 1e6;
constexpr auto kRunTime = 3s;
constexpr auto kSetUpLimit = 10s;
constexpr auto kSlice = 1ms;
// A trace line of the usual length.
constexpr std::string_view kTraceLine = "12:00:01.125 L2 B1 RX I-frame N(S)=17 N(R)=42 len=23\r\n";

// Runs the event loop for `duration`.
void RunFor(std::chrono::milliseconds duration) {
  QEventLoop loop;
  QTimer::singleShot(duration, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs the event loop until `done` or `limit`; whether it was done.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(10ms);
  QTimer::singleShot(limit, &loop, &QEventLoop::quit);
  if (!done()) loop.exec();
  return done();
}

// The main window reaching the simulator over loopback TCP, on its Monitor
// tab with every trace category chosen.
class MonitorWindow {
 public:
  MonitorWindow(unsigned baud, std::size_t maxLines) : simulator_(Transport::Tcp, {}, baud) {
    desktop_.settings_.comMode = static_cast<std::uint32_t>(LinkType::Tcp);
    desktop_.settings_.tcpAddress = "127.0.0.1";
    desktop_.settings_.tcpPort = simulator_.Port();
    desktop_.settings_.monitorLogMaxLines = static_cast<std::uint32_t>(maxLines);
    window_ = std::make_unique<MainWindow>(desktop_.context_);
    window_->show();
    window_->Execute(static_cast<int>(gui::Command::ToggleMonitor));
    window_->tabs().Select(gui::TabPageId::Monitor);
    for (std::size_t i = 1; i <= kMonitorCategoryCount; ++i) {
      window_->findChild<QCheckBox*>(QStringLiteral("category%1").arg(i))->setChecked(true);
    }
    window_->OpenLinkQuietly();
  }

  // Why the window cannot run, or nothing.
  std::string Failure() {
    if (!simulator_.Ready()) return "simulator: " + simulator_.Error();
    if (!RunUntil([&] { return window_->host().link().GetLinkState() == LinkState::Open; }, kSetUpLimit)) {
      return "the link did not open";
    }
    return {};
  }
  SimulatorThread& simulator() { return simulator_; }
  MonitorLog& log() { return window_->monitorPage().log(); }
  void ClickStart() { window_->findChild<QPushButton*>("startButton")->click(); }
  // What the log has written to its file: the trace and the markers.
  std::uintmax_t FileBytes() {
    std::error_code error;
    const auto size = std::filesystem::file_size(log().TempFilePath(), error);
    return error ? 0 : size;
  }

 private:
  SimulatorThread simulator_;
  DesktopTestContext desktop_;
  std::unique_ptr<MainWindow> window_;
};

std::string TraceText(std::size_t lines) {
  std::string text;
  text.reserve(lines * kTraceLine.size());
  for (std::size_t i = 0; i < lines; ++i) text += kTraceLine;
  return text;
}

void BM_MonitorViewAtLinkSpeed(benchmark::State& state) {
  double worstMs = 0, bytesPerSecond = 0;
  for (auto _ : state) {
    MonitorWindow monitor(kLineBaud, kDefaultLogMaxLines);
    if (const std::string failure = monitor.Failure(); !failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
    monitor.simulator().Run([](sim::GatewayModel& gateway) { gateway.Monitor().SetRate(kFloodLinesPerSecond); });
    monitor.ClickStart();
    // The first trace has come when the file holds more than the started marker.
    std::uintmax_t before = 0;
    if (!RunUntil([&] { return monitor.log().IsActive() && (before = monitor.FileBytes()) > 0; }, kSetUpLimit)) {
      state.SkipWithError("monitoring did not start");
      break;
    }
    EventLoopLatency latency;
    latency.Start();
    RunFor(kRunTime);
    latency.Stop();
    worstMs = std::max(worstMs, latency.WorstMs());
    bytesPerSecond = double(monitor.FileBytes() - before) / std::chrono::duration<double>(kRunTime).count();
  }
  state.counters["worst_ms"] = worstMs;
  state.counters["x_wire"] = bytesPerSecond / kWireBytesPerSecond;
}
BENCHMARK(BM_MonitorViewAtLinkSpeed)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_MonitorViewInProcess(benchmark::State& state) {
  double worstMs = 0, bytesPerSecond = 0;
  for (auto _ : state) {
    // Unpaced: the simulator only holds the link open; the trace comes from here.
    MonitorWindow monitor(0, kDefaultLogMaxLines);
    if (const std::string failure = monitor.Failure(); !failure.empty()) {
      state.SkipWithError(failure.c_str());
      break;
    }
    MonitorLog& log = monitor.log();
    const std::string slice = TraceText(kOfferedBytesPerSecond / 1000 / kTraceLine.size() + 1);
    log.monitoringStarted();
    const std::uintmax_t before = monitor.FileBytes();

    // Each tick hands over what is due by now, so a stalled loop catches up.
    double fed = 0;
    const auto start = EventLoopLatency::Clock::now();
    QTimer feeder;
    feeder.setTimerType(Qt::PreciseTimer);
    QObject::connect(&feeder, &QTimer::timeout, [&] {
      const double due =
          kOfferedBytesPerSecond * std::chrono::duration<double>(EventLoopLatency::Clock::now() - start).count();
      while (fed + double(slice.size()) <= due) {
        log.monitorOutput(slice);
        fed += double(slice.size());
      }
    });
    EventLoopLatency latency;
    feeder.start(kSlice);
    latency.Start();
    RunFor(kRunTime);
    latency.Stop();
    feeder.stop();
    const double seconds = std::chrono::duration<double>(EventLoopLatency::Clock::now() - start).count();
    worstMs = std::max(worstMs, latency.WorstMs());
    bytesPerSecond = double(monitor.FileBytes() - before) / seconds;
  }
  state.counters["worst_ms"] = worstMs;
  state.counters["x_target"] = bytesPerSecond / kOfferedBytesPerSecond;
}
BENCHMARK(BM_MonitorViewInProcess)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

void BM_MonitorViewAppendLine(benchmark::State& state) {
  const auto limit = static_cast<std::size_t>(state.range(0));
  MonitorWindow monitor(0, limit);
  if (const std::string failure = monitor.Failure(); !failure.empty()) {
    state.SkipWithError(failure.c_str());
    return;
  }
  MonitorLog& log = monitor.log();
  log.monitoringStarted();
  log.monitorOutput(TraceText(limit));
  QApplication::processEvents();
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    log.monitorOutput(kTraceLine);
    QApplication::processEvents();
  }
  const double perLine = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                         double(state.iterations());
  if (log.View().LineCount() > limit + 1) state.SkipWithError("the view did not keep its limit");
  state.counters["x_wire"] = perLine / (double(kTraceLine.size()) / kWireBytesPerSecond);
}
BENCHMARK(BM_MonitorViewAppendLine)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
