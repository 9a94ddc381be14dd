// The engine's shared machinery and its idle-state requests on a scripted
// host: what it hands the link and dumps, the timer by state, restart and link
// events, diagnostics data and the cause text; which idle starts are refused,
// which request a refusal concerns, what the engine keeps of the replies,
// monitoring, and the diagnostics beside them (garbled replies: RoundTrip_test;
// an idle request's first request and the negative-reply rule: TransferFaults_test).
#include "protocol/engine/OperationEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/TransferScript.h"
#include "protocol/engine/CauseText.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::EventWith;
using test::RecordedNotification;
using test::RejectWith;
using test::ReplyWith;
using test::TextElement;

// Distinct time-outs, so that every armed delay names the setting it came from.
const EngineSettings kDistinctTimeouts{.communicationTimeout = 5000,
                                       .communicationTimeoutReset = 7000,
                                       .communicationTimeoutSwitchToLoader = 3000,
                                       .communicationTimeoutSwitchToFirmware = 11000};

class EngineTest : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  EngineTest() : ScriptedEngine(kDistinctTimeouts) {}

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
  EXPECT_EQ(host.SentElements(), row.sent);
  EXPECT_EQ(engine.state(), row.next);
  EXPECT_EQ(host.TimerDelay(), row.armed);
  EXPECT_EQ(host.notifications, row.notified);
  EXPECT_EQ(engine.retries(), row.retriesAfter);
  if (row.next == EngineState::Failed) {
    EXPECT_EQ(engine.pending(), row.pending & kPendingKeptOnClear);  // a failure keeps only the restart marks
  }
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
        TimeoutRow{"LastTryWithCellsPendingFailsAndKeepsTheRestartMarks", EngineState::Idle, CellsPending | kPendingKeptOnClear, kMaxRepeats, {}, EngineState::Failed, std::nullopt, {kNoAnswer}, kMaxRepeats},
        TimeoutRow{"LastTryWithModuleInfoPendingReportsItsOwnNoAnswer", EngineState::Idle, ModuleInfoPending, kMaxRepeats, {}, EngineState::Failed, std::nullopt, {{Notification::ModuleInfoResult, static_cast<int>(OperationResult::NoAnswer), false}}, kMaxRepeats}),
    test::RowName<TimeoutRow>);

DeviceMessage RejectWithCauseBytes(std::size_t count) {
  std::vector<std::uint8_t> bytes(count);
  for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
  return test::SealedMessage(MessageType::Reject, {{ie::Cause, bytes}});
}

TEST_F(EngineTest, CauseTextShowsTheCauseBytes) {
  const std::string cut = "A0 A1 A2 A3 A4 A5 A6 A7 A8 A9 AA AB AC AD AE AF B0 B1 B2 B3 B4";
  const struct { const char* name; DeviceMessage reject; std::string text, noneText = "no reason given"; } rows[] = {
      {"NoCauseElement", RejectWith({}), "no reason given"},
      {"EmptyCause", test::SealedMessage(MessageType::Reject, {{ie::Cause, {}}}), "no reason given"},
      {"TwentyOneBytesFit", RejectWithCauseBytes(21), cut},
      {"LongerCausesAreCut", RejectWithCauseBytes(40), cut},
      {"OverlongTextForNoCauseIsCut", RejectWith({}), std::string(kCauseTextCapacity, 'x'), std::string(200, 'x')}};
  for (const auto& row : rows) {
    host.texts["strErrorCauseNone"] = row.noneText;
    OperationsOf(engine).SetCauseText(row.reject);
    EXPECT_EQ(engine.causeText(), row.text) << row.name;
    EXPECT_LE(engine.causeText().size(), kCauseTextCapacity) << row.name;
  }
}

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
  const SystemInformation& system = engine.deviceInformation().system;
  EXPECT_EQ(system.runMode, RunMode::Loader);
  EXPECT_EQ(system.loaderVersion, "0.9.1");
  EXPECT_EQ(system.deviceName, "Office");

  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[0].message.type(), static_cast<std::uint8_t>(MessageType::Reply));
  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::RestartAck, ie::SwitchToFirmware}));
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
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
  EXPECT_EQ(monitor.calls, std::vector<std::string>{"stopped"});
  EXPECT_TRUE(host.sent.empty());
}

TEST_F(EngineTest, LinkEventsCloseTheLinkAndStillRunTheStateHandler) {
  for (const auto& [element, line] : {std::pair{ie::PowerDown, "Power down"},
                                      std::pair{ie::SwitchToFirmware, "Switch to firmware"}}) {
    host.ClearRecords();
    host.link = LinkState::Open;
    OperationsOf(engine).SetState(EngineState::ResetSent);
    Receive(EventWith({{element, {}}, {ie::Reset, {}}}));
    EXPECT_TRUE(host.Logged(line));
    EXPECT_EQ(host.linkCloses, 1) << line;
    EXPECT_EQ(host.link, LinkState::Closed) << line;
    EXPECT_EQ(host.CountOf(Notification::LinkClosed, 0), 1) << line;
    // A Request is no reply to the reset: the handler leaves the state alone.
    EXPECT_EQ(engine.state(), EngineState::ResetSent) << line;
  }
}

TEST_F(EngineTest, DiagnosticsDataIsStoredInAnyStateAndNotifiedAtOnce) {
  OperationsOf(engine).SetState(EngineState::ResetSent);
  const std::vector<std::uint8_t> data{0x81, 0x00, 0x02, 0x80, 0xEE};
  Receive(ReplyWith({{ie::IsdnStatus, data}}));
  EXPECT_EQ(engine.diagnostics().isdnStatus, (std::array<std::uint8_t, 4>{0x81, 0x00, 0x02, 0x80}));
  std::vector<std::uint8_t> credit{1, 24, 5};  // line or module 1, 24 bytes of counters, the first 5
  credit.resize(2 + 24);
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

// ==== The idle-state requests ====

constexpr int kDone = static_cast<int>(OperationResult::Done);

using IdleEngine = test::TransferTest;

template <typename Row>
class IdleTable : public IdleEngine, public ::testing::WithParamInterface<Row> {};

// ---- Starts refused before anything is sent ----

struct RefusedStartRow {
  const char* name;
  bool (*start)(OperationEngine&);
  bool linkStaysClosed = false;  // else the start is refused before the link is asked for
};

using RefusedStarts = IdleTable<RefusedStartRow>;

TEST_P(RefusedStarts, SendNothingAndLeaveNothingPending) {
  if (GetParam().linkStaysClosed) host.linkAnswers = {false};
  EXPECT_FALSE(GetParam().start(engine));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.linkQueries, GetParam().linkStaysClosed ? 1 : 0);
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_FALSE(host.TimerRunning());
}

bool SetTime(OperationEngine& e, DateTimeRecord time) { return e.SetDateTime(time); }

INSTANTIATE_TEST_SUITE_P(
    Idle, RefusedStarts,
    ::testing::Values(
        RefusedStartRow{"SetTimeFebruary29NotLeap", [](OperationEngine& e) { return SetTime(e, {2025, 2, 0, 29, 0, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeHour24", [](OperationEngine& e) { return SetTime(e, {2025, 1, 0, 1, 24, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeSecond60", [](OperationEngine& e) { return SetTime(e, {2025, 1, 0, 1, 0, 0, 60, 0}); }},
        RefusedStartRow{"SetTimeBefore2000", [](OperationEngine& e) { return SetTime(e, {1999, 12, 0, 31, 0, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeAfter2255", [](OperationEngine& e) { return SetTime(e, {2256, 1, 0, 1, 0, 0, 0, 0}); }},
        RefusedStartRow{"ModuleInfoOfModule2", [](OperationEngine& e) { return e.GetModuleInfo(2); }},
        RefusedStartRow{"ModuleResetOfModuleMinus2", [](OperationEngine& e) { return e.ResetModule(-2); }},
        RefusedStartRow{"CellsOfModule256", [](OperationEngine& e) { return e.GetCells(256); }},
        RefusedStartRow{"NewPasswordLongerThanTheGatewayTakes", [](OperationEngine& e) { return e.ChangePassword(std::string(kLoginPasswordCapacity + 1, 'x'), "old"); }},
        RefusedStartRow{"MonitorCommandTooLongBesideTheLongestPassword", [](OperationEngine& e) {
                          e.SetLoginPassword(std::string(kLoginPasswordCapacity, 'p'));
                          return e.SendMonitorCommand(std::string(kMonitorCommandCapacity + 1, 'c'));
                        }},
        RefusedStartRow{"AnnouncementUpdateWithoutACheckedFile", [](OperationEngine& e) {
                          const auto unchecked = test::LoadAnnouncement(e, 100, false);
                          return e.StartAnnouncementUpdate(AnnouncementKind::Outgoing);
                        }},
        RefusedStartRow{"FirmwareUpdateWithoutACheckedFile", [](OperationEngine& e) { return e.StartFirmwareUpdate(); }},
        RefusedStartRow{"ResetWithoutLink", [](OperationEngine& e) { return e.ResetDevice(); }, true},
        RefusedStartRow{"SystemInfoWithoutLink", [](OperationEngine& e) { return e.GetSystemInfo(); }, true},
        RefusedStartRow{"SystemInfoCheckWithoutLink", [](OperationEngine& e) { return e.CheckSystemInfo(); }, true},
        RefusedStartRow{"LanInfoWithoutLink", [](OperationEngine& e) { return e.GetLanInfo(); }, true},
        RefusedStartRow{"DownloadWithoutLink", [](OperationEngine& e) { return e.StartDownload(); }, true},
        RefusedStartRow{"UploadWithoutLink", [](OperationEngine& e) { return e.StartUpload(ConfigurationImage{}); }, true},
        RefusedStartRow{"CdrDownloadWithoutLink", [](OperationEngine& e) {
                          static test::MemoryCdrStore store;
                          return e.StartCdrDownload(store);
                        }, true}),
    test::RowName<RefusedStartRow>);

// ---- Negative replies ----

TEST_F(IdleEngine, RefusalForNoPendingRequestOnlyKeepsItsCause) {
  Receive(RejectWith({cause::NotAllowed}));
  EXPECT_EQ(engine.causeText(), "94");
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_EQ(engine.state(), EngineState::Idle);

  // One that names a diagnostics request tells, in any state, that its data is not fresh.
  OperationsOf(engine).SetState(EngineState::Initial);
  DeviceMessage reject = RejectWith({cause::InvalidData});
  AddElement(reject, ie::IsdnStatus, {});
  SealMessage(reject);
  Receive(reject);
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::InvalidData, 0, true}}));
  EXPECT_EQ(engine.causeText(), "83");
}

// ---- What the replies leave ----

// A run mode the engine does not know, or none at all, keeps the one it had.
TEST_F(IdleEngine, UnknownOrEmptyRunModeKeepsTheOldOne) {
  OperationsOf(engine).deviceInformation().system.runMode = RunMode::Loader;
  for (const std::vector<std::uint8_t>& runMode : {std::vector<std::uint8_t>{7}, std::vector<std::uint8_t>{}}) {
    Receive(ReplyWith({TextElement(ie::FirmwareVersion, "1.2.9"), {ie::RunMode, runMode}}));
    EXPECT_EQ(engine.deviceInformation().system.runMode, RunMode::Loader);
    EXPECT_EQ(engine.deviceInformation().system.firmwareVersion, "1.2.9");
  }
}

TEST_F(IdleEngine, FirstKnownElementDecidesTheReply) {
  ASSERT_TRUE(engine.GetLanInfo());
  // MonitorStop ranks before LanInfo: this reply is not the LAN answer.
  Receive(ReplyWith({{ie::MonitorStop, {}}, {ie::LanInfo, std::vector<std::uint8_t>(42, '0')}}));
  EXPECT_TRUE(engine.HasPending(LanInfoPending));
  EXPECT_TRUE(host.TimerRunning());
  EXPECT_EQ(host.CountOf(Notification::LanInfoResult), 0);
}

// The module's answer is kept; the answer to an earlier try that arrives late reports nothing twice.
TEST_F(IdleEngine, ModuleAnswerIsKeptAndALateOneReportsNothingTwice) {
  const auto answerTwice = [this](const DeviceMessage& reply) {
    clock.Advance(milliseconds(settings.communicationTimeout));  // the request goes out again
    Receive(reply);
    Receive(reply);
  };
  ASSERT_TRUE(engine.GetModuleInfo(1));
  // The network element is missing: its text is left empty.
  answerTwice(ReplyWith({TextElement(ie::ModuleType, "Quad"), TextElement(ie::ModuleImei, "356"),
                         TextElement(ie::ModuleImsi, "001")}));
  const ModuleInformation& module = engine.deviceInformation().module;
  EXPECT_EQ(module.type + "/" + module.imei + "/" + module.imsi + "/" + module.network, "Quad/356/001/");
  EXPECT_EQ(module.index, 1);
  ASSERT_TRUE(engine.ResetModule(1));
  answerTwice(ReplyWith({{ie::ModuleReset, {}}}));
  EXPECT_EQ(host.SentElements(),
            (std::vector<std::uint8_t>{ie::ModuleType, ie::ModuleType, ie::ModuleReset, ie::ModuleReset}));
  EXPECT_EQ(host.CountOf(Notification::ModuleInfoResult), 1);
  EXPECT_EQ(host.CountOf(Notification::ModuleResetResult), 1);
}

TEST_F(IdleEngine, CellsStartOneRepeatInAndClearTheTable) {
  OperationsOf(engine).deviceInformation().module.cells[0].fill('9');
  ASSERT_TRUE(engine.GetCells(0));
  EXPECT_EQ(engine.retries(), kMaxRepeats - 1);
  EXPECT_EQ(engine.deviceInformation().module.cells, CellTable{});
}

TEST_F(IdleEngine, ShortDateTimeLeavesTheClockZeroButSucceeds) {
  OperationsOf(engine).deviceInformation().clock.time = {2025, 3, 5, 14, 15, 9, 26, 500};
  ASSERT_TRUE(engine.GetDateTime());
  Receive(ReplyWith({{ie::DateTime, {1, 2, 3, 4, 5}}}));
  EXPECT_EQ(engine.deviceInformation().clock, DeviceClock{});
  EXPECT_EQ(host.CountOf(Notification::GetTimeResult, kDone), 1);
  EXPECT_FALSE(engine.HasPending(GetTimePending));
  EXPECT_FALSE(host.TimerRunning());
}

// ---- Monitoring ----

class IdleMonitoring : public IdleEngine {
 protected:
  IdleMonitoring() { engine.SetMonitorSink(&view); }
  test::RecordingMonitor view;
};

TEST_F(IdleMonitoring, StartRepeatAsksForTheVersionsUntilTheFirmwareIsKnown) {
  ASSERT_TRUE(engine.StartMonitoring());
  clock.Advance(milliseconds(settings.communicationTimeout));
  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::LoaderVersion, ie::LoaderVersion}));
  EXPECT_EQ(engine.retries(), 1);

  Receive(ReplyWith({TextElement(ie::FirmwareVersion, "1.2.5")}));
  EXPECT_EQ(host.SentElements().back(), ie::MonitorStart);
  EXPECT_EQ(engine.retries(), 1);  // reset, then counted as the start's repeat
  EXPECT_EQ(std::count(host.logLines.begin(), host.logLines.end(), "Get system info"), 2);
}

TEST_F(IdleMonitoring, TraceTextReachesTheViewWholePastANul) {
  const std::string trace("ab\0cd\xE4\r\n", 8);
  Receive(ReplyWith({{ie::MonitorStart, std::vector<std::uint8_t>(trace.begin(), trace.end())}}));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"output " + trace}));
}

// ---- Diagnostics and the monitoring poll: beside Idle, no flag, no timer, no password ----

struct SideRow {
  const char* name;
  bool (*start)(OperationEngine&);
  std::uint8_t element;
  std::vector<std::uint8_t> data;
  EngineState state = EngineState::Idle;
  bool sent = true;
  EngineState after = EngineState::Idle;
};

using SideRequests = IdleTable<SideRow>;

TEST_P(SideRequests, GoOutOnlyWhenNoOperationRunsAndLeaveNothingPending) {
  const SideRow& row = GetParam();
  engine.SetLoginPassword("pw");
  OperationsOf(engine).SetState(row.state);
  EXPECT_EQ(row.start(engine), row.sent);
  ASSERT_EQ(host.sent.size(), row.sent ? 1u : 0u);
  if (row.sent) {
    const DeviceMessage& request = host.sent[0].message;
    EXPECT_EQ(request.type(), static_cast<std::uint8_t>(MessageType::Request));
    EXPECT_EQ(test::MainElement(request), row.element);
    EXPECT_EQ(test::ElementData(request, row.element), row.data);
    EXPECT_FALSE(FindElement(request, ie::Password).has_value());
  }
  EXPECT_EQ(engine.state(), row.after);
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_TRUE(host.notifications.empty());
  if (row.element != ie::MonitorPoll) {
    EXPECT_EQ(host.linkQueries, 0);  // diagnostics never ask for the link: the window connects
  }
}

template <DiagnosticsKind kind, int module>
bool Diagnose(OperationEngine& e) {
  return e.RequestDiagnostics(kind, module);
}
constexpr auto IsdnStatus = Diagnose<DiagnosticsKind::IsdnStatus, 0>;
bool UnknownKind(OperationEngine& e) { return e.RequestDiagnostics(static_cast<DiagnosticsKind>(3)); }
bool Poll(OperationEngine& e) { return e.PollMonitoring(); }
constexpr std::uint8_t kIsdn = ie::IsdnStatus;
constexpr std::uint8_t kPoll = ie::MonitorPoll;
using enum EngineState;

INSTANTIATE_TEST_SUITE_P(
    Diagnostics, SideRequests,
    ::testing::Values(SideRow{"IsdnStatus", IsdnStatus, kIsdn, {}},
                      SideRow{"IsdnCreditAsksAllFour", Diagnose<DiagnosticsKind::IsdnCredit, 1>, ie::IsdnCredit, {0, 1, 2, 3}},
                      SideRow{"GsmStatusOfModule2", Diagnose<DiagnosticsKind::GsmStatus, 1>, ie::GsmStatus, {1}},
                      SideRow{"GsmStatusOfUnknownModuleAsksTheFirst", Diagnose<DiagnosticsKind::GsmStatus, 7>, ie::GsmStatus, {0}},
                      SideRow{"GsmCreditFromTheFirstModule", Diagnose<DiagnosticsKind::GsmCredit, 0>, ie::GsmCredit, {0, 1}},
                      SideRow{"GsmCreditFromTheSecondModule", Diagnose<DiagnosticsKind::GsmCredit, 1>, ie::GsmCredit, {1}},
                      SideRow{"GsmCreditOfNegativeModuleAsksBoth", Diagnose<DiagnosticsKind::GsmCredit, -1>, ie::GsmCredit, {0, 1}},
                      SideRow{"DiagnosticsInitialBecomesIdle", IsdnStatus, kIsdn, {}, Initial},
                      SideRow{"DiagnosticsFailedBecomesIdle", IsdnStatus, kIsdn, {}, Failed},
                      SideRow{"DiagnosticsRefusedDuringReset", IsdnStatus, kIsdn, {}, ResetSent, false, ResetSent},
                      SideRow{"UnknownDiagnosticsKindRefused", UnknownKind, kIsdn, {}, Failed, false, Failed},
                      SideRow{"PollIdle", Poll, kPoll, {}},
                      SideRow{"PollFailedCountsAsIdle", Poll, kPoll, {}, Failed},
                      SideRow{"PollRefusedInInitial", Poll, kPoll, {}, Initial, false, Initial},
                      SideRow{"PollRefusedDuringDownload", Poll, kPoll, {}, Reading, false, Reading}),
    test::RowName<SideRow>);

// The window's connect command may open the link at once or leave it closed.
TEST_F(IdleEngine, DiagnosticsOnAClosedLinkAskTheWindowToConnectAndGoOutOnlyOnceOpen) {
  for (const bool opens : {false, true}) {
    host.ClearRecords();
    host.link = LinkState::Closed;
    host.onConnect = [this, opens] { host.link = opens ? LinkState::Open : LinkState::Closed; };
    EXPECT_EQ(engine.RequestDiagnostics(DiagnosticsKind::GsmCredit, 1), opens);
    EXPECT_EQ(host.connectRequests, 1);
    EXPECT_EQ(host.linkQueries, 0);
    EXPECT_EQ(host.SentElements(), opens ? std::vector<std::uint8_t>{ie::GsmCredit} : std::vector<std::uint8_t>{});
  }
}

TEST_F(IdleEngine, DiagnosticsRunBesideAPendingRequestWithoutDisturbingIt) {
  ASSERT_TRUE(engine.GetLanInfo());
  ASSERT_TRUE(engine.RequestDiagnostics(DiagnosticsKind::IsdnStatus));
  EXPECT_TRUE(engine.HasPending(LanInfoPending));
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
}

}  // namespace
}  // namespace tusko
