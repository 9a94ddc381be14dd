// The idle-state requests against the gateway model, in-process on virtual
// time: what the engine learns and reports, and how it gives up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/RecordingMonitor.h"
#include "protocol/engine/OperationEngine.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::RecordedNotification;

constexpr int kDone = static_cast<int>(OperationResult::Done);
constexpr int kNoAnswer = static_cast<int>(OperationResult::NoAnswer);
constexpr milliseconds kAnswered{100};

class AgainstGateway : public ::testing::Test {
 protected:
  explicit AgainstGateway(sim::GatewayIdentity identity = {}) : harness(LinkType::Serial, std::move(identity)) {}
  // Starts a request and lets the gateway answer it.
  void Run(bool started) {
    ASSERT_TRUE(started);
    harness.RunFor(kAnswered);
  }

  test::GatewayHarness harness;
  test::EngineTestHost& host = harness.host;
  OperationEngine& engine = harness.engine;
};

TEST_F(AgainstGateway, SystemInfoChainsIntoLanInfo) {
  Run(engine.GetSystemInfo());

  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::SystemInfoRequested, 0, false},
                                                                   {Notification::SystemInfoResult, kDone, true},
                                                                   {Notification::LanInfoRequested, 0, false},
                                                                   {Notification::LanInfoResult, kDone, false}}));
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_FALSE(host.TimerRunning());

  const sim::GatewayIdentity& gateway = harness.gateway.Identity();
  const DeviceInformation& info = engine.deviceInformation();
  EXPECT_EQ(info.system.firmwareVersion, gateway.firmwareVersion);
  EXPECT_EQ(info.system.loaderVersion, gateway.loaderVersion);
  EXPECT_EQ(info.system.deviceName, gateway.deviceName);
  EXPECT_EQ(info.system.runMode, RunMode::Firmware);
  EXPECT_EQ(info.system.dataVersion, gateway.dataVersion);
  EXPECT_EQ(info.lan.ipAddress, "192.168.1.100");
  EXPECT_EQ(info.lan.subnetMask, "255.255.255.0");
  EXPECT_EQ(info.lan.defaultGateway, "192.168.1.1");
  EXPECT_EQ(info.lan.tcpPort, 1002);
  EXPECT_EQ(info.lan.dhcp, kDhcpOff);

  for (const std::string& line : {std::string("Get system info"), std::string("Get LAN info"),
                                  "Firmware version: " + gateway.firmwareVersion,
                                  "Loader version: " + gateway.loaderVersion, "Sentarix name: " + gateway.deviceName,
                                  std::string("IP Address: 192.168.1.100"), std::string("Subnet Mask: 255.255.255.0"),
                                  std::string("Default Gateway: 192.168.1.1"), std::string("Port: 1002")}) {
    EXPECT_TRUE(host.Logged(line)) << line;
  }
  for (const auto& sent : host.sent) EXPECT_FALSE(FindElement(sent.message, ie::Password).has_value());
}

TEST_F(AgainstGateway, WindowCanStopTheFollowUpWhileHandlingTheResult) {
  host.onNotify = [this](const RecordedNotification& n) {
    if (n.code == Notification::SystemInfoResult && n.sync) engine.ClearPendingFlag(SystemInfoPending);
  };
  Run(engine.GetSystemInfo());

  EXPECT_EQ(harness.gateway.RequestCount(ie::LanInfo), 0);
  EXPECT_EQ(host.CountOf(Notification::LanInfoRequested), 0);
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_FALSE(host.TimerRunning());
}

TEST_F(AgainstGateway, CheckSystemInfoReportsWithoutFollowUp) {
  Run(engine.CheckSystemInfo());

  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::SystemInfoRequested, 0, false},
                                                                   {Notification::SystemInfoResult, kDone, false}}));
  EXPECT_EQ(harness.gateway.RequestCount(ie::LanInfo), 0);
  EXPECT_EQ(engine.deviceInformation().system.firmwareVersion, harness.gateway.Identity().firmwareVersion);
}

TEST_F(AgainstGateway, ModuleInfoBringsTheFourTexts) {
  Run(engine.GetModuleInfo(1));

  const sim::GsmModuleIdentity& expected = harness.gateway.Identity().modules[1];
  const ModuleInformation& module = engine.deviceInformation().module;
  EXPECT_EQ(module.type, expected.type);
  EXPECT_EQ(module.imei, expected.imei);
  EXPECT_EQ(module.imsi, expected.imsi);
  EXPECT_EQ(module.network, expected.network);
  EXPECT_EQ(module.index, 1);
  EXPECT_TRUE(host.Logged("Get module info - 1"));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::ModuleInfoRequested, 0, false},
                                                                   {Notification::ModuleInfoResult, kDone, false}}));
}

TEST_F(AgainstGateway, ClockNeverSetThenSetIsReadBackWithItsSynchronisation) {
  Run(engine.GetDateTime());
  const DeviceClock& clock = engine.deviceInformation().clock;
  EXPECT_EQ(clock.time.year, 2024);
  EXPECT_EQ(clock.lastSync, (LastSyncRecord{1, 0, 0, 0}));  // reported, but never synchronised

  // 14 March 2025, 15:09:26 (a Friday, which the gateway is not told).
  Run(engine.SetDateTime({2025, 3, 5, 14, 15, 9, 26, 500}));
  Run(engine.GetDateTime());
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::GetTimeRequested, 0, false},
                                                                   {Notification::GetTimeResult, kDone, false},
                                                                   {Notification::SetTimeRequested, 0, false},
                                                                   {Notification::SetTimeResult, kDone, false},
                                                                   {Notification::GetTimeRequested, 0, false},
                                                                   {Notification::GetTimeResult, kDone, false}}));
  EXPECT_TRUE(host.Logged("Set date/time"));
  EXPECT_TRUE(host.Logged("Get date/time"));
  // The gateway knows no weekday and no milliseconds.
  EXPECT_EQ(clock.time, (DateTimeRecord{2025, 3, 0, 14, 15, 9, 26, 0}));
  EXPECT_EQ(clock.lastSync, (LastSyncRecord{1, 14, 3, 2025}));
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_FALSE(host.TimerRunning());
}

TEST_F(AgainstGateway, MonitoringStartAsksWhoAnswersThenCommandPollAndStop) {
  test::RecordingMonitor view;
  engine.SetMonitorSink(&view);
  Run(engine.StartMonitoring());

  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::LoaderVersion, ie::MonitorStart}));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::MonitorRequestSent, 0, false},
                                                                   {Notification::MonitorRequestSent, 0, false},
                                                                   {Notification::MonitorResult, kDone, false}}));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"started", "output Monitor on - Sentarix 1.2.5"}));
  EXPECT_TRUE(host.Logged("Get system info"));
  EXPECT_EQ(engine.deviceInformation().system.firmwareVersion, "1.2.5");
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_FALSE(host.TimerRunning());

  view.calls.clear();
  host.ClearRecords();
  Run(engine.SendMonitorCommand("isdn status"));
  Run(engine.PollMonitoring());
  Run(engine.StopMonitoring());
  EXPECT_EQ(view.calls, (std::vector<std::string>{"answered", "answered", "stopped"}));
  EXPECT_EQ(host.CountOf(Notification::MonitorRequestSent), 2);  // the poll is not announced
  EXPECT_EQ(host.CountOf(Notification::MonitorResult, kDone), 2);
  EXPECT_EQ(host.notifications.size(), 4u);
  EXPECT_EQ(harness.gateway.RequestCount(ie::MonitorPoll), 1);
  EXPECT_FALSE(host.TimerRunning());
}

TEST_F(AgainstGateway, EveryDiagnosticsKindIsAnsweredAndAnnouncedAtOnce) {
  for (DiagnosticsKind kind : {DiagnosticsKind::IsdnStatus, DiagnosticsKind::IsdnCredit, DiagnosticsKind::GsmStatus,
                               DiagnosticsKind::GsmCredit}) {
    Run(engine.RequestDiagnostics(kind, 0));
  }
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::IsdnStatusData, 0, true},
                                                                   {Notification::IsdnCreditData, 0, true},
                                                                   {Notification::GsmStatusData, 0, true},
                                                                   {Notification::GsmCreditData, 0, true}}));
  const DiagnosticsData& data = engine.diagnostics();
  EXPECT_EQ(data.isdnStatus[0] & 0x03, 0x03);  // line 1 up: layer 2 and SDI
  EXPECT_LE(data.gsmStatus[kGsmStatusSignalOffset], 31);
  const auto counter = [&data](std::size_t index) {
    const std::uint8_t* b = data.isdnCredit.data() + index * 4;
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
  };
  EXPECT_GT(counter(1), 0u);           // an allowance
  EXPECT_LE(counter(0), counter(1));   // used within it
  EXPECT_EQ(engine.state(), EngineState::Idle);
}

class PasswordAgainstGateway : public AgainstGateway {
 protected:
  PasswordAgainstGateway() : AgainstGateway(sim::GatewayIdentity{.password = "first"}) {}
};

TEST_F(PasswordAgainstGateway, NewPasswordIsKeptAndTheOldOneNoLongerWorks) {
  engine.SetLoginPassword("first");
  Run(engine.ChangePassword("second", "first"));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::PasswordChangeRequested, 0, false},
                                                                   {Notification::PasswordChangeResult, kDone, false}}));
  EXPECT_EQ(harness.gateway.Identity().password, "second");
  EXPECT_EQ(engine.loginPassword(), "first");  // the window decides about the login password

  // The old password is now wrong: the change ends at once, without a login prompt.
  host.ClearRecords();
  Run(engine.ChangePassword("third", "first"));
  EXPECT_EQ(harness.gateway.RequestCount(ie::NewPassword), 2);
  EXPECT_EQ(host.passwordQueries, 0);
  EXPECT_EQ(host.CountOf(Notification::PasswordChangeResult, static_cast<int>(OperationResult::OldPasswordWrong)), 1);
  EXPECT_EQ(harness.gateway.Identity().password, "second");
  EXPECT_FALSE(engine.HasPending(PasswordChangePending));

  // Requests with the old login password are refused and the login prompt comes.
  host.passwordAnswers = {"second"};
  Run(engine.GetDateTime());
  EXPECT_EQ(host.passwordQueries, 1);
  EXPECT_EQ(host.CountOf(Notification::GetTimeResult, kDone), 1);
}

}  // namespace
}  // namespace tusko
