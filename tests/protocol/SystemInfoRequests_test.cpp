// System and LAN information: the starters, their replies, refusals and
// time-outs, against a scripted host and against the gateway model.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "support/EngineTestHost.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using test::EngineTestHost;
using test::GatewayHarness;
using test::RecordedNotification;
using test::ReplyWith;
using test::TextElement;

constexpr int kDone = static_cast<int>(OperationResult::Done);
constexpr int kNoAnswer = static_cast<int>(OperationResult::NoAnswer);

class SystemInfoAgainstGateway : public ::testing::Test {
 protected:
  GatewayHarness harness{LinkType::Serial};
  EngineTestHost& host = harness.host;
  OperationEngine& engine = harness.engine;
};

TEST_F(SystemInfoAgainstGateway, SystemInfoChainsIntoLanInfo) {
  ASSERT_TRUE(engine.GetSystemInfo());
  harness.RunFor(milliseconds(100));

  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{
                                      {Notification::SystemInfoRequested, 0, false},
                                      {Notification::SystemInfoResult, kDone, true},
                                      {Notification::LanInfoRequested, 0, false},
                                      {Notification::LanInfoResult, kDone, false},
                                  }));
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

  for (const char* line : {"Get system info", "Get LAN info", "IP Address: 192.168.1.100",
                           "Subnet Mask: 255.255.255.0", "Default Gateway: 192.168.1.1", "Port: 1002"}) {
    EXPECT_TRUE(host.Logged(line)) << line;
  }
  EXPECT_TRUE(host.Logged("Firmware version: " + gateway.firmwareVersion));
  EXPECT_TRUE(host.Logged("Loader version: " + gateway.loaderVersion));
  EXPECT_TRUE(host.Logged("Sentarix name: " + gateway.deviceName));
  // Neither request carries the password.
  for (const auto& sent : host.sent) EXPECT_FALSE(FindElement(sent.message, ie::Password).has_value());
}

TEST_F(SystemInfoAgainstGateway, WindowCanStopTheFollowUpWhileHandlingTheResult) {
  host.onNotify = [this](const RecordedNotification& n) {
    if (n.code == Notification::SystemInfoResult && n.sync) engine.ClearPendingFlag(SystemInfoPending);
  };
  ASSERT_TRUE(engine.GetSystemInfo());
  harness.RunFor(milliseconds(100));

  EXPECT_EQ(harness.gateway.RequestCount(ie::LanInfo), 0);
  EXPECT_EQ(host.CountOf(Notification::LanInfoRequested), 0);
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_FALSE(host.TimerRunning());
}

TEST_F(SystemInfoAgainstGateway, CheckSystemInfoReportsWithoutFollowUp) {
  ASSERT_TRUE(engine.CheckSystemInfo());
  harness.RunFor(milliseconds(100));

  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{
                                      {Notification::SystemInfoRequested, 0, false},
                                      {Notification::SystemInfoResult, kDone, false},
                                  }));
  EXPECT_EQ(harness.gateway.RequestCount(ie::LanInfo), 0);
  EXPECT_EQ(engine.deviceInformation().system.firmwareVersion, harness.gateway.Identity().firmwareVersion);
}

// The LAN information and the cell list are asked twice; then each ends its own way.
struct TwoTriesRow {
  const char* name;
  std::uint8_t element;
  bool (*start)(OperationEngine&);
  PendingRequest flag;
  Notification result;
  int results;      // how many results of that kind, all NoAnswer
  int failed;       // OperationFailed notifications
  EngineState end;
  friend void PrintTo(const TwoTriesRow& row, std::ostream* out) { *out << row.name; }
};

class TwoTries : public SystemInfoAgainstGateway, public ::testing::WithParamInterface<TwoTriesRow> {};

TEST_P(TwoTries, GiveUpAfterTheSecondTimeout) {
  const TwoTriesRow& row = GetParam();
  harness.gateway.InjectFault({sim::FaultKind::DropReply, row.element, 0, 10});
  ASSERT_TRUE(row.start(engine));
  harness.RunFor(seconds(60));

  EXPECT_EQ(harness.gateway.RequestCount(row.element), 2);
  EXPECT_EQ(host.CountOf(row.result), row.results);
  EXPECT_EQ(host.CountOf(row.result, kNoAnswer), row.results);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed, 0), row.failed);
  EXPECT_EQ(engine.state(), row.end);
  EXPECT_FALSE(engine.HasPending(row.flag));
  EXPECT_FALSE(host.TimerRunning());
}

INSTANTIATE_TEST_SUITE_P(
    SystemInfo, TwoTries,
    ::testing::Values(TwoTriesRow{"LanInfoEndsWithNoAnswer", ie::LanInfo, [](OperationEngine& e) { return e.GetLanInfo(); }, LanInfoPending, Notification::LanInfoResult, 1, 0, EngineState::Idle},
                      TwoTriesRow{"CellsFail", ie::ModuleCells, [](OperationEngine& e) { return e.GetCells(1); }, CellsPending, Notification::CellsResult, 0, 1, EngineState::Failed}),
    test::RowName<TwoTriesRow>);

class SystemInfoReplies : public ::testing::Test, protected test::ScriptedEngine {};

TEST_F(SystemInfoReplies, GetSystemInfoForgetsEverythingKnown) {
  DeviceInformation& info = engine.deviceInformation();
  info.system = {"0.9", "1.2", "Office", RunMode::Firmware, 7};
  info.lan = {"10.0.0.1", "255.0.0.0", "10.0.0.254", 1002, kDhcpOn};

  ASSERT_TRUE(engine.CheckSystemInfo());
  EXPECT_TRUE(info.system.firmwareVersion.empty());
  EXPECT_TRUE(info.system.deviceName.empty());
  EXPECT_EQ(info.system.dataVersion, 7u);
  EXPECT_EQ(info.lan.ipAddress, "10.0.0.1");

  ASSERT_TRUE(engine.GetSystemInfo());
  EXPECT_EQ(info.system.runMode, RunMode::Unknown);
  EXPECT_EQ(info.system.dataVersion, 0u);
  EXPECT_TRUE(info.lan.ipAddress.empty());
  EXPECT_EQ(info.lan.tcpPort, 0);
  EXPECT_EQ(info.lan.dhcp, kDhcpUnknown);
}

struct RunModeRow {
  const char* name;
  std::vector<std::uint8_t> runMode;
  RunMode mode;
  std::uint32_t dataVersion;
  friend void PrintTo(const RunModeRow& row, std::ostream* out) { *out << row.name; }
};

class RunModeTable : public SystemInfoReplies, public ::testing::WithParamInterface<RunModeRow> {};

TEST_P(RunModeTable, FirmwareVersionReplyStoresRunModeAndDataVersion) {
  engine.deviceInformation().system.runMode = RunMode::Loader;
  engine.SetState(EngineState::Idle);
  Receive(ReplyWith({TextElement(ie::FirmwareVersion, "1.2.9"), {ie::RunMode, GetParam().runMode}}));
  EXPECT_EQ(engine.deviceInformation().system.runMode, GetParam().mode);
  EXPECT_EQ(engine.deviceInformation().system.dataVersion, GetParam().dataVersion);
  EXPECT_EQ(engine.deviceInformation().system.firmwareVersion, "1.2.9");
}

INSTANTIATE_TEST_SUITE_P(
    SystemInfo, RunModeTable,
    ::testing::Values(RunModeRow{"FirmwareWithDataVersion", {2, 0x7D, 0, 0x78, 0x56, 0x34, 0x12}, RunMode::Firmware, 0x12345678},
                      RunModeRow{"NoMarkerNoDataVersion", {2, 0x00, 0, 0x78, 0x56, 0x34, 0x12}, RunMode::Firmware, 0},
                      RunModeRow{"UnknownModeKeepsTheOldOne", {7}, RunMode::Loader, 0},
                      RunModeRow{"EmptyElement", {}, RunMode::Loader, 0}),
    test::RowName<RunModeRow>);

TEST_F(SystemInfoReplies, FirstKnownElementDecidesTheReply) {
  ASSERT_TRUE(engine.GetLanInfo());
  // MonitorStop ranks before LanInfo: this reply is not the LAN answer.
  Receive(ReplyWith({{ie::MonitorStop, {}}, {ie::LanInfo, std::vector<std::uint8_t>(42, '0')}}));
  EXPECT_TRUE(engine.HasPending(LanInfoPending));
  EXPECT_TRUE(host.TimerRunning());
  EXPECT_EQ(host.CountOf(Notification::LanInfoResult), 0);
}

}  // namespace
}  // namespace tusko
