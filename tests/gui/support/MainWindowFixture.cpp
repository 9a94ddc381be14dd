#include "gui/support/MainWindowFixture.h"

#include <QTest>

namespace tusko::gui::test {

namespace {

// Short enough that a restart over TCP costs seconds, long enough for the simulator's restart.
constexpr std::uint32_t kSwitchToLoaderMs = 2000;
constexpr std::uint32_t kSwitchToFirmwareMs = 3000;

}  // namespace

MainWindowFixture::MainWindowFixture() {
  settings_.comMode = 1;
  settings_.tcpAddress = "127.0.0.1";
  settings_.tcpPort = simulator_.Port();
  settings_.communicationTimeoutSwitchToLoader = kSwitchToLoaderMs;
  settings_.communicationTimeoutSwitchToFirmware = kSwitchToFirmwareMs;
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
