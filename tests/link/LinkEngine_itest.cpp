// The operation engine over a real link: the core's host on an event loop,
// the link control's threads, and the simulator on a thread of its own.
#include "app/session/LinkEngineHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <utility>
#include <vector>

#include "link/RecordingLog.h"
#include "protocol/engine/OperationEngine.h"
#include "support/SimulatorLink.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;
using test::SimulatorThread;
using test::Transport;

// Bounds that only end a test that has failed.
constexpr auto kInfoLimit = 10s;
constexpr auto kRestartLimit = 30s;
// Short time-outs and restarts keep a restart quick.
constexpr std::uint32_t kShortTimeoutMs = 300;

struct Notified {
  Notification code;
  int value;
};

class LinkEngineOverSimulator : public testing::TestWithParam<Transport> {
 protected:
  void SetUp() override {
    simulator.emplace(GetParam());
    ASSERT_TRUE(simulator->Ready()) << simulator->Error();
    test::UseSimulator(settings, GetParam(), *simulator);
    host.emplace(loop, settings, LinkEngineHostHooks{
        .text = [](std::string_view key) { return std::string(key); },
        .notified = [this](Notification code, int value) { notified.push_back({code, value}); },
        .password = [] { return std::optional<std::string>(); },
        .message = [this](const std::string&, const std::string& text) { messages.push_back(text); }});
    host->AttachLog(&log);
    engine.emplace(*host, engineSettings);
    host->Attach(*engine);
  }

  bool Seen(Notification code, std::optional<int> value = std::nullopt) const {
    return std::any_of(notified.begin(), notified.end(), [&](const Notified& n) {
      return n.code == code && (!value || n.value == *value);
    });
  }
  bool RunUntilSeen(std::initializer_list<Notification> codes, std::chrono::milliseconds limit) {
    return loop.RunUntil([&] { return std::any_of(codes.begin(), codes.end(), [&](Notification c) { return Seen(c); }); },
                         limit);
  }

  ProgramSettings settings;
  EngineSettings engineSettings;  // read by the engine at each time-out
  RecordingLog log;
  std::vector<Notified> notified;
  std::vector<std::string> messages;
  EventLoop loop;
  // Ends before the loop it posts to, after the link that talks to it.
  std::optional<SimulatorThread> simulator;
  std::optional<LinkEngineHost> host;
  std::optional<OperationEngine> engine;
};

TEST_P(LinkEngineOverSimulator, ARestartIsFollowedThroughTheReconnectAndInformationIsReadAfterIt) {
  engineSettings.communicationTimeout = kShortTimeoutMs;
  engineSettings.communicationTimeoutReset = kShortTimeoutMs;
  engineSettings.communicationTimeoutSwitchToLoader = test::kShortSwitchTimeoutMs;
  engineSettings.communicationTimeoutSwitchToFirmware = test::kShortSwitchTimeoutMs;
  simulator->ShortenRestarts(test::kShortRestart);
  if (GetParam() == Transport::Pty) {
    // A pseudo-terminal has no USB device: announce its return as the device watch would.
    const UsbDevice gatewayPort{settings.virtualComPort, {}, kGatewayUsbVendorId, kGatewayUsbProductId, "simulator"};
    simulator->WatchLinkReturns([this, gatewayPort] {
      loop.Post([this, gatewayPort] { host->usbFollower().OnUsbDeviceChange(UsbChange::Arrival, gatewayPort); });
    });
  }

  ASSERT_TRUE(engine->ResetDevice());
  ASSERT_TRUE(RunUntilSeen({Notification::FirmwareRunning, Notification::RestartFailed, Notification::OperationFailed},
                           kRestartLimit));
  EXPECT_TRUE(Seen(Notification::FirmwareRunning));
  EXPECT_EQ(engine->state(), EngineState::Idle);
  EXPECT_EQ(simulator->Run([](sim::GatewayModel& model) { return model.RestartCount(); }), 2);
  if (GetParam() == Transport::Tcp) {
    EXPECT_GE(log.Count("TCP Connect - ", false), 3u) << "the first connect and one after each restart";
  } else {
    EXPECT_GE(log.Count("Open port ", false), 3u) << "the first open and one after each arrival";
  }

  // The link is usable again: system and LAN information are read and decoded.
  notified.clear();
  ASSERT_TRUE(engine->GetSystemInfo());
  ASSERT_TRUE(RunUntilSeen({Notification::LanInfoResult, Notification::OperationFailed}, kInfoLimit));
  EXPECT_TRUE(Seen(Notification::LanInfoResult, 1));
  EXPECT_TRUE(messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Transports, LinkEngineOverSimulator, testing::Values(Transport::Tcp, Transport::Pty),
                         test::TransportName);

}  // namespace
}  // namespace tusko
