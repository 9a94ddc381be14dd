// The engine's shared machinery: what it hands the link and dumps, the timer
// by state, restart and link events, diagnostics data and the cause text
// (garbled replies: RoundTrip_test; the negative-reply rule: TransferFaults_test).
#include "protocol/engine/OperationEngine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/TransferScript.h"
#include "protocol/engine/CauseText.h"
#include "support/EngineTestHost.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::EngineTestHost;
using test::EventWith;
using test::RecordedNotification;
using test::RejectWith;
using test::ReplyWith;
using test::TextElement;

// Distinct time-outs, so that every armed delay names the setting it came from.
EngineSettings DistinctTimeouts() {
  EngineSettings settings;
  settings.communicationTimeout = 5000;
  settings.communicationTimeoutReset = 7000;
  settings.communicationTimeoutSwitchToLoader = 3000;
  settings.communicationTimeoutSwitchToFirmware = 11000;
  return settings;
}

class EngineTest : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  EngineTest() : ScriptedEngine(DistinctTimeouts()) {}

  milliseconds Ms(std::uint32_t EngineSettings::*setting) const { return milliseconds(settings.*setting); }

  void TearDown() override { EXPECT_EQ(host.linesNotInEngineColour, 0); }
};

TEST_F(EngineTest, SendRequestDumpsAndHandsOverTheWireBytesOnlyWhileTheLinkIsOpen) {
  const DeviceMessage request = test::SealedMessage(MessageType::Request, {{ie::LanInfo, {1, 2}}});
  for (LinkState link : {LinkState::Closed, LinkState::Connecting}) {
    host.link = link;
    EXPECT_FALSE(OperationsOf(engine).SendRequest(request));
  }
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.dumpedOut.empty());

  host.link = LinkState::Open;
  EXPECT_TRUE(OperationsOf(engine).SendRequest(request));
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(host.sent[0].length, request.ieLength() + 3u);
  ASSERT_EQ(host.dumpedOut.size(), 1u);
  EXPECT_EQ(host.dumpedOut[0], std::vector<std::uint8_t>(request.wireBytes().begin(), request.wireBytes().end()));
}

TEST_F(EngineTest, LoginPasswordIsCutToEightCharacters) {
  engine.SetLoginPassword("0123456789");
  EXPECT_EQ(engine.loginPassword(), "01234567");
}

struct TimeoutRow {
  const char* name;
  EngineState state;
  std::uint32_t pending;
  int retries;
  std::vector<std::uint8_t> sent;
  EngineState next;
  std::optional<milliseconds> armed;
  std::vector<RecordedNotification> notified;
  int retriesAfter;
};

class TimeoutTable : public EngineTest, public ::testing::WithParamInterface<TimeoutRow> {};

TEST_P(TimeoutTable, FiringTimerActsByState) {
  const TimeoutRow& row = GetParam();
  OperationsOf(engine).SetState(row.state);
  OperationsOf(engine).SetPending(static_cast<PendingRequest>(row.pending));
  OperationsOf(engine).SetRetries(row.retries);

  engine.OnTimer();
  EXPECT_EQ(host.logLines.front(), "Timer timeout! (status: " + std::to_string(static_cast<int>(row.state)) + ")");
  EXPECT_EQ(host.SentElements(), row.sent);
  EXPECT_EQ(engine.state(), row.next);
  EXPECT_EQ(host.TimerDelay(), row.armed);
  EXPECT_EQ(host.notifications, row.notified);
  EXPECT_EQ(engine.retries(), row.retriesAfter);
}

const milliseconds kTimeout{5000};
const milliseconds kResetTimeout{7000};
const RecordedNotification kResetStarted{Notification::Reset, 0, false};
const RecordedNotification kNoAnswer{Notification::OperationFailed, 0, false};

INSTANTIATE_TEST_SUITE_P(
    Engine, TimeoutTable,
    ::testing::Values(
        TimeoutRow{"ResetSentSendsResetAgain", EngineState::ResetSent, 0, 0, {ie::Reset}, EngineState::ResetSent, kResetTimeout, {kResetStarted}, 1},
        TimeoutRow{"InLoaderAsksAgainWhoItIs", EngineState::InLoader, 0, 1, {ie::LoaderVersion}, EngineState::InLoader, kTimeout, {}, 2},
        TimeoutRow{"InLoaderRepeatsSwitchToFirmware", EngineState::InLoader, SwitchToFirmwareSent, 0, {ie::SwitchToFirmware}, EngineState::InLoader, kTimeout, {}, 1},
        TimeoutRow{"WaitFirmwareInfoProbesAgain", EngineState::WaitFirmwareInfo, 0, 1, {ie::LoaderVersion}, EngineState::WaitFirmwareInfo, kTimeout, {}, 2},
        TimeoutRow{"InitialIgnoresTheTimer", EngineState::Initial, 0, 0, {}, EngineState::Initial, std::nullopt, {}, 0},
        TimeoutRow{"LastTryInLoaderGivesTheFirmwareOneMoreChance", EngineState::InLoader, SystemInfoPending | SwitchToFirmwareSent, kMaxRepeats, {ie::LoaderVersion}, EngineState::WaitFirmwareInfo, kTimeout, {}, kMaxRepeats},
        TimeoutRow{"LastTryInWaitFirmwareInfoEndsTheRestart", EngineState::WaitFirmwareInfo, 0, kMaxRepeats, {}, EngineState::Failed, std::nullopt, {{Notification::RestartFailed, 0, false}}, kMaxRepeats},
        TimeoutRow{"LastTryOfResetFails", EngineState::ResetSent, 0, kMaxRepeats, {}, EngineState::Failed, std::nullopt, {kNoAnswer}, kMaxRepeats},
        TimeoutRow{"IdleRepeatsThePendingRequest", EngineState::Idle, SystemInfoPending, 0, {ie::LoaderVersion}, EngineState::Idle, kTimeout, {{Notification::SystemInfoRequested, 0, false}}, 1},
        // The LAN information is asked twice and ends without failing; the cell list fails.
        TimeoutRow{"LanInfoRepeatsOnce", EngineState::Idle, LanInfoPending, 0, {ie::LanInfo}, EngineState::Idle, kTimeout, {{Notification::LanInfoRequested, 0, false}}, 1},
        TimeoutRow{"LanInfoSecondTimeoutEndsWithNoAnswer", EngineState::Idle, LanInfoPending, 1, {}, EngineState::Idle, std::nullopt, {{Notification::LanInfoResult, static_cast<int>(OperationResult::NoAnswer), false}}, 1},
        TimeoutRow{"LastTryWithCellsPendingFails", EngineState::Idle, CellsPending, kMaxRepeats, {}, EngineState::Failed, std::nullopt, {kNoAnswer}, kMaxRepeats},
        TimeoutRow{"LastTryWithModuleInfoPendingReportsItsOwnNoAnswer", EngineState::Idle, ModuleInfoPending, kMaxRepeats, {}, EngineState::Failed, std::nullopt, {{Notification::ModuleInfoResult, static_cast<int>(OperationResult::NoAnswer), false}}, kMaxRepeats}),
    test::RowName<TimeoutRow>);

TEST_F(EngineTest, FailureClearsPendingRequestsButKeepsTheRestartMarks) {
  OperationsOf(engine).SetState(EngineState::Idle);
  OperationsOf(engine).SetPending(static_cast<PendingRequest>(0x7FFF));
  OperationsOf(engine).SetRetries(kMaxRepeats);
  engine.OnTimer();
  EXPECT_EQ(engine.pending(), kPendingKeptOnClear);
  EXPECT_TRUE(host.Logged("Operation failed!"));
}

struct CauseRow {
  const char* name;
  DeviceMessage reject;
  std::string text;
  std::string noneText = "no reason given";
};

class CauseTextTable : public EngineTest, public ::testing::WithParamInterface<CauseRow> {};

TEST_P(CauseTextTable, ShowsTheCauseBytes) {
  host.texts["strErrorCauseNone"] = GetParam().noneText;
  OperationsOf(engine).SetCauseText(GetParam().reject);
  EXPECT_EQ(engine.causeText(), GetParam().text);
  EXPECT_LE(engine.causeText().size(), kCauseTextCapacity);
}

DeviceMessage RejectWithCauseBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
  return test::SealedMessage(MessageType::Reject, {{ie::Cause, bytes}});
}

INSTANTIATE_TEST_SUITE_P(
    Engine, CauseTextTable,
    ::testing::Values(CauseRow{"NoCauseElement", RejectWith({}), "no reason given"},
                      CauseRow{"EmptyCause", test::SealedMessage(MessageType::Reject, {{ie::Cause, {}}}), "no reason given"},
                      CauseRow{"TwentyOneBytesFit", RejectWithCauseBytes(21), "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 B1 B2 B3 B4"},
                      CauseRow{"LongerCausesAreCut", RejectWithCauseBytes(40), "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 B1 B2 B3 B4"},
                      CauseRow{"OverlongTextForNoCauseIsCut", RejectWith({}), std::string(kCauseTextCapacity, 'x'), std::string(200, 'x')}),
    test::RowName<CauseRow>);

DeviceMessage LoaderStartedEvent(std::initializer_list<std::uint8_t> cause = {}) {
  DeviceMessage event = EventWith({{ie::LoaderStarted, {}},
                                   TextElement(ie::LoaderVersion, "0.9.1"),
                                   TextElement(ie::DeviceName, "Office")});
  if (cause.size() != 0) {
    AddElement(event, ie::Cause, std::vector<std::uint8_t>(cause));
    SealMessage(event);
  }
  return event;
}

TEST_F(EngineTest, LoaderStartedResetsTheEngineAndAsksForTheFirmware) {
  test::RecordingMonitor monitor;
  engine.SetMonitorSink(&monitor);
  OperationsOf(engine).SetState(EngineState::Idle);
  OperationsOf(engine).SetPending(static_cast<PendingRequest>(LanInfoPending | ModuleInfoPending | NoFirmwareSeen));
  OperationsOf(engine).SetRetries(2);
  OperationsOf(engine).ArmTimer(milliseconds(100));
  Receive(ReplyWith({{ie::IsdnStatus, {1, 2, 3, 4}}}));

  Receive(LoaderStartedEvent());
  EXPECT_EQ(engine.state(), EngineState::InLoader);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(engine.pending(), static_cast<std::uint32_t>(SwitchToFirmwareSent));
  EXPECT_EQ(engine.diagnostics().isdnStatus, (std::array<std::uint8_t, 4>{}));
  EXPECT_EQ(monitor.calls, std::vector<std::string>{"stopped"});
  EXPECT_EQ(host.CountOf(Notification::LoaderRestarted, 0), 1);
  EXPECT_EQ(host.CountOf(Notification::NoFirmware), 0);
  EXPECT_TRUE(host.Logged("Loader version: 0.9.1"));
  const SystemInformation& system = engine.deviceInformation().system;
  EXPECT_EQ(system.runMode, RunMode::Loader);
  EXPECT_EQ(system.loaderVersion, "0.9.1");
  EXPECT_EQ(system.deviceName, "Office");

  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[0].message.type(), static_cast<std::uint8_t>(MessageType::Reply));
  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::RestartAck, ie::SwitchToFirmware}));
  EXPECT_EQ(host.TimerDelay(), Ms(&EngineSettings::communicationTimeout));
}

TEST_F(EngineTest, LoaderWithoutFirmwareIsReported) {
  OperationsOf(engine).SetState(EngineState::Idle);
  Receive(LoaderStartedEvent({cause::NoFirmware}));
  EXPECT_TRUE(engine.HasPending(NoFirmwareSeen));
  EXPECT_EQ(host.CountOf(Notification::NoFirmware, 0), 1);
  // With no firmware file at hand the loader is only asked to start the firmware.
  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::RestartAck, ie::SwitchToFirmware}));
  EXPECT_EQ(engine.state(), EngineState::InLoader);

  // The next loader start without the cause clears the mark; the firmware is asked for once only.
  host.ClearRecords();
  Receive(LoaderStartedEvent());
  EXPECT_FALSE(engine.HasPending(NoFirmwareSeen));
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::RestartAck});
}

TEST_F(EngineTest, FirmwareStartedReturnsToIdle) {
  test::RecordingMonitor monitor;
  engine.SetMonitorSink(&monitor);
  OperationsOf(engine).SetState(EngineState::WaitFirmware);
  OperationsOf(engine).SetPending(static_cast<PendingRequest>(SwitchToFirmwareSent | GetTimePending));
  OperationsOf(engine).ArmTimer(milliseconds(100));

  Receive(EventWith({{ie::FirmwareStarted, {}}, TextElement(ie::FirmwareVersion, "1.2.7")}));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_EQ(engine.pending(), static_cast<std::uint32_t>(SwitchToFirmwareSent));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::FirmwareRunning, 0, false}}));
  EXPECT_EQ(engine.deviceInformation().system.runMode, RunMode::Firmware);
  EXPECT_EQ(engine.deviceInformation().system.firmwareVersion, "1.2.7");
  EXPECT_TRUE(host.Logged("Restart firmware"));
  EXPECT_EQ(monitor.calls, std::vector<std::string>{"stopped"});
  EXPECT_TRUE(host.sent.empty());
}

struct LinkEventRow {
  const char* name;
  std::uint8_t element;
  const char* line;
};

class LinkEventTable : public EngineTest, public ::testing::WithParamInterface<LinkEventRow> {};

TEST_P(LinkEventTable, ClosesTheLinkAndStillRunsTheStateHandler) {
  OperationsOf(engine).SetState(EngineState::ResetSent);
  Receive(EventWith({{GetParam().element, {}}, {ie::Reset, {}}}));
  EXPECT_TRUE(host.Logged(GetParam().line));
  EXPECT_EQ(host.linkCloses, 1);
  EXPECT_EQ(host.link, LinkState::Closed);
  EXPECT_EQ(host.CountOf(Notification::LinkClosed, 0), 1);
  // A Request is no reply to the reset: the handler leaves the state alone.
  EXPECT_EQ(engine.state(), EngineState::ResetSent);
}

INSTANTIATE_TEST_SUITE_P(Engine, LinkEventTable,
                         ::testing::Values(LinkEventRow{"PowerDown", ie::PowerDown, "Power down"},
                                           LinkEventRow{"SwitchToFirmware", ie::SwitchToFirmware, "Switch to firmware"}),
                         test::RowName<LinkEventRow>);

TEST_F(EngineTest, DiagnosticsDataIsStoredInAnyStateAndNotifiedAtOnce) {
  OperationsOf(engine).SetState(EngineState::ResetSent);
  const std::vector<std::uint8_t> data{0x81, 0x00, 0x02, 0x80, 0xEE};
  Receive(ReplyWith({{ie::IsdnStatus, data}}));
  EXPECT_EQ(engine.diagnostics().isdnStatus, (std::array<std::uint8_t, 4>{0x81, 0x00, 0x02, 0x80}));
  std::vector<std::uint8_t> credit(2 + 24, 0);  // line or module 1, the first counter 5
  credit[0] = 1;
  credit[1] = 24;
  credit[2] = 5;
  Receive(ReplyWith({{ie::IsdnCredit, credit}}));
  Receive(ReplyWith({{ie::GsmStatus, {0, 0x34, 0x12, 17, 2, 'o', 'k'}}}));
  Receive(ReplyWith({{ie::GsmCredit, credit}}));
  EXPECT_EQ(engine.diagnostics().isdnCredit[kCreditRecordSize], 5);
  EXPECT_EQ(engine.diagnostics().gsmStatus[kGsmStatusSignalOffset], 17);
  EXPECT_EQ(engine.diagnostics().gsmCredit[kCreditRecordSize], 5);
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::IsdnStatusData, 0, true},
                                                                   {Notification::IsdnCreditData, 0, true},
                                                                   {Notification::GsmStatusData, 0, true},
                                                                   {Notification::GsmCreditData, 0, true}}));
  EXPECT_EQ(engine.state(), EngineState::ResetSent);
}

TEST_F(EngineTest, RefusedDiagnosticsRequestIsNoFreshData) {
  DeviceMessage reject = RejectWith({cause::InvalidData});
  AddElement(reject, ie::IsdnStatus, {});
  SealMessage(reject);
  Receive(reject);
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::InvalidData, 0, true}}));
  EXPECT_EQ(engine.causeText(), "83");
}

}  // namespace
}  // namespace tusko
