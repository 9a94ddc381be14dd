#include "gui/support/MainWindowFixture.h"

#include <chrono>

#include <QTest>

namespace tusko::gui::test {

namespace {

// The simulator restarts quickly; the switch time-outs stay above its restart
// time, since a TCP link is asked back only when they expire.
constexpr std::chrono::milliseconds kRestartTime{100};
constexpr std::uint32_t kSwitchToLoaderMs = 500;
constexpr std::uint32_t kSwitchToFirmwareMs = 500;

}  // namespace

MainWindowFixture::MainWindowFixture() {
  settings_.comMode = 1;
  settings_.tcpAddress = "127.0.0.1";
  settings_.tcpPort = simulator_.Port();
  settings_.communicationTimeoutSwitchToLoader = kSwitchToLoaderMs;
  settings_.communicationTimeoutSwitchToFirmware = kSwitchToFirmwareMs;
  simulator_.ShortenRestarts(kRestartTime);
}

MainWindowFixture::~MainWindowFixture() = default;

MainWindow& MainWindowFixture::OpenWindow() {
  window_ = std::make_unique<MainWindow>(context_);
  window_->show();
  return *window_;
}

bool MainWindowFixture::WaitForLinkState(LinkState state, int limitMs) {
  return QTest::qWaitFor([&] { return window_->host().link().GetLinkState() == state; }, limitMs);
}

}  // namespace tusko::gui::test
