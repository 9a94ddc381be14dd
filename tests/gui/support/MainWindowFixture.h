#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "app/gui/MainWindow.h"
#include "gui/support/DesktopTestContext.h"
#include "protocol/FirmwareFile.h"
#include "support/FirmwareFiles.h"
#include "support/SimulatorThread.h"

namespace tusko::gui::test {

// The real main window, set to reach the gateway simulator over loopback TCP,
// with its message boxes answered by a script and its settings in memory.
class MainWindowFixture : public testing::Test, protected DesktopTestContext {
 protected:
  // Short restarts with switch time-outs to match; configuration blocks follow
  // each other without the pause a real line needs.
  MainWindowFixture() {
    settings_.comMode = 1;
    settings_.tcpAddress = "127.0.0.1";
    settings_.tcpPort = simulator_.Port();
    settings_.communicationTimeoutSwitchToLoader = tusko::test::kShortSwitchTimeoutMs;
    settings_.communicationTimeoutSwitchToFirmware = tusko::test::kShortSwitchTimeoutMs;
    settings_.dataReadWriteRequestDelay = 1;
    simulator_.ShortenRestarts(tusko::test::kShortRestart);
  }

  // Makes the window; tests change the settings first where they need to.
  MainWindow& OpenWindow() {
    window_ = std::make_unique<MainWindow>(context_);
    window_->show();
    return *window_;
  }
  MainWindow& window() { return *window_; }
  tusko::test::SimulatorThread& simulator() { return simulator_; }
  void Run(Command command) { window_->Execute(static_cast<int>(command)); }
  bool WaitForLinkState(LinkState state, int limitMs = 10000) {
    return QTest::qWaitFor([&] { return window_->host().link().GetLinkState() == state; }, limitMs);
  }
  // No operation under way and no dialog or box left open.
  bool WaitForIdle(int limitMs) {
    return QTest::qWaitFor([&] { return !window_->busy() && QApplication::activeModalWidget() == nullptr; }, limitMs);
  }
  ConfigurationImage StoredConfiguration() {
    return simulator_.Run([](sim::GatewayModel& gateway) { return gateway.Configuration().Stored(); });
  }
  // A firmware file of one application section that names its version.
  static std::vector<std::uint8_t> Firmware(std::size_t length = 2048) {
    return tusko::test::FirmwareFileBytes(
        {{kSectionTypeApplication, 0x10000, tusko::test::FirmwareData(length, "Ombrel Gsm_PW RQX904 1.2.6")}});
  }
  std::string Text(std::string_view key) const { return language_.GetString(key); }

  tusko::test::SimulatorThread simulator_{tusko::test::Transport::Tcp};
  std::unique_ptr<MainWindow> window_;
};

}  // namespace tusko::gui::test
