// The idle-state requests on a scripted host (their first request and the
// negative-reply rule: TransferFaults_test): which starts are refused, which
// request a refusal concerns, what the engine keeps of the replies, monitoring,
// and the diagnostics beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "protocol/TransferScript.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::RecordedNotification;
using test::RejectWith;
using test::ReplyWith;
using test::TextElement;

constexpr int kDone = static_cast<int>(OperationResult::Done);
constexpr auto kRejected = OperationResult::Rejected;
constexpr std::uint8_t kOtherCause = 0x81;

using IdleEngine = test::TransferTest;

template <typename Row>
class IdleTable : public IdleEngine, public ::testing::WithParamInterface<Row> {};

RecordedNotification Ends(Notification code, OperationResult result) { return {code, static_cast<int>(result), false}; }

bool GetSystemInfo(OperationEngine& e) { return e.GetSystemInfo(); }
bool CheckSystemInfo(OperationEngine& e) { return e.CheckSystemInfo(); }
bool GetLanInfo(OperationEngine& e) { return e.GetLanInfo(); }

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
        RefusedStartRow{"SystemInfoWithoutLink", GetSystemInfo, true},
        RefusedStartRow{"SystemInfoCheckWithoutLink", CheckSystemInfo, true},
        RefusedStartRow{"LanInfoWithoutLink", GetLanInfo, true},
        RefusedStartRow{"DownloadWithoutLink", [](OperationEngine& e) { return e.StartDownload(); }, true},
        RefusedStartRow{"UploadWithoutLink", [](OperationEngine& e) { return e.StartUpload(ConfigurationImage{}); }, true},
        RefusedStartRow{"CdrDownloadWithoutLink", [](OperationEngine& e) {
                          static test::MemoryCdrStore store;
                          return e.StartCdrDownload(store);
                        }, true}),
    test::RowName<RefusedStartRow>);

// ---- Negative replies ----

TEST_F(IdleEngine, FirstPendingRequestInTheFixedOrderTakesTheRefusal) {
  ASSERT_TRUE(engine.GetModuleInfo(0));
  ASSERT_TRUE(engine.StopMonitoring());  // MonitorStopPending ranks before ModuleInfoPending
  OperationsOf(engine).SetRetries(kMaxRepeats);
  host.ClearRecords();
  Receive(RejectWith({kOtherCause}));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{Ends(Notification::MonitorResult, kRejected)}));
  EXPECT_TRUE(engine.HasPending(ModuleInfoPending));
}

TEST_F(IdleEngine, RefusalForNoPendingRequestOnlyKeepsItsCause) {
  Receive(RejectWith({cause::NotAllowed}));
  EXPECT_EQ(engine.causeText(), "94");
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_EQ(engine.state(), EngineState::Idle);
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

TEST_F(IdleEngine, LateAnswerToAnEarlierTryReportsNothingTwice) {
  const auto answerTwice = [this](const DeviceMessage& reply) {
    clock.Advance(milliseconds(settings.communicationTimeout));  // the request goes out again
    Receive(reply);
    Receive(reply);
  };
  ASSERT_TRUE(engine.GetModuleInfo(0));
  answerTwice(ReplyWith({TextElement(ie::ModuleType, "Quad")}));
  ASSERT_TRUE(engine.ResetModule(0));
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
    EXPECT_EQ(test::ElementRaw(request, row.element), std::string(row.data.begin(), row.data.end()));
    EXPECT_EQ(test::ElementRaw(request, ie::Password), "<absent>");
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
