// The idle-state requests on a scripted host: what each sends, which starts are
// refused, and what a negative reply does (repeat, ask for the password, or end).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::RecordedNotification;
using test::RejectWith;

constexpr std::uint8_t kOtherCause = 0x81;

enum class Prompt { None, Given, Refused };

struct RefusalRow {
  const char* name;
  bool (*start)(OperationEngine&);
  PendingRequest flag;
  std::uint8_t cause;
  std::optional<int> repeatsBefore;  // the repeat count when the refusal comes; none: as the starter left it
  Prompt prompt;
  // nullopt: the request is sent again; else it ends with this result.
  std::optional<RecordedNotification> end;
  friend void PrintTo(const RefusalRow& row, std::ostream* out) { *out << row.name; }
};

bool StartMonitoring(OperationEngine& e) { return e.StartMonitoring(); }
bool StopMonitoring(OperationEngine& e) { return e.StopMonitoring(); }
bool SendCommand(OperationEngine& e) { return e.SendMonitorCommand("stat"); }
bool GetSystemInfo(OperationEngine& e) { return e.GetSystemInfo(); }
bool CheckSystemInfo(OperationEngine& e) { return e.CheckSystemInfo(); }
bool GetLanInfo(OperationEngine& e) { return e.GetLanInfo(); }
bool ChangePassword(OperationEngine& e) { return e.ChangePassword("new", "old"); }
bool GetDateTime(OperationEngine& e) { return e.GetDateTime(); }
bool SetDateTime(OperationEngine& e) { return e.SetDateTime({2025, 6, 0, 30, 23, 59, 58, 0}); }
bool GetModuleInfo(OperationEngine& e) { return e.GetModuleInfo(1); }
bool ResetModule(OperationEngine& e) { return e.ResetModule(1); }
bool GetCells(OperationEngine& e) { return e.GetCells(1); }

RecordedNotification Ends(Notification code, OperationResult result) {
  return {code, static_cast<int>(result), false};
}

constexpr auto kRejected = OperationResult::Rejected;
constexpr std::uint8_t kPassword = cause::PasswordRequired;
constexpr int kLastTry = kMaxRepeats;

class IdleRefusals : public ::testing::TestWithParam<RefusalRow>, protected test::ScriptedEngine {};

TEST_P(IdleRefusals, RepeatPromptOrEnd) {
  const RefusalRow& row = GetParam();
  engine.SetState(EngineState::Idle);
  ASSERT_TRUE(row.start(engine));
  const std::uint8_t requested = test::MainElement(host.sent.back().message);
  if (row.repeatsBefore) engine.SetRetries(*row.repeatsBefore);
  if (row.prompt == Prompt::Given) host.passwordAnswers = {"letmein"};
  host.ClearRecords();

  Receive(RejectWith({row.cause, 0x05}));

  char causeText[8];
  std::snprintf(causeText, sizeof causeText, "%02X 05", row.cause);
  EXPECT_EQ(engine.causeText(), causeText);  // set whatever follows
  EXPECT_EQ(host.passwordQueries, row.prompt == Prompt::None ? 0 : 1);
  EXPECT_EQ(engine.state(), EngineState::Idle);
  if (!row.end) {
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(test::MainElement(host.sent[0].message), requested);
    EXPECT_TRUE(engine.HasPending(row.flag));
    EXPECT_TRUE(host.TimerRunning());
    EXPECT_LE(engine.retries(), kMaxRepeats);
    for (const auto& n : host.notifications) EXPECT_EQ(n.value, 0) << "only the start is notified";
  } else {
    EXPECT_TRUE(host.sent.empty());
    EXPECT_EQ(host.notifications, std::vector<RecordedNotification>{*row.end});
    EXPECT_FALSE(engine.HasPending(row.flag));
    EXPECT_FALSE(host.TimerRunning());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Idle, IdleRefusals,
    ::testing::Values(
        RefusalRow{"MonitorStartPasswordIsLikeAnyRefusal", StartMonitoring, MonitorStartPending, kPassword, 0, Prompt::None, std::nullopt},
        RefusalRow{"MonitorStartLastTryEnds", StartMonitoring, MonitorStartPending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::MonitorResult, kRejected)},
        RefusalRow{"MonitorStopRepeats", StopMonitoring, MonitorStopPending, cause::NotAllowed, 1, Prompt::None, std::nullopt},
        RefusalRow{"MonitorStopLastTryEnds", StopMonitoring, MonitorStopPending, kPassword, kLastTry, Prompt::None, Ends(Notification::MonitorResult, kRejected)},
        RefusalRow{"MonitorCommandPasswordGiven", SendCommand, MonitorCommandPending, kPassword, 0, Prompt::Given, std::nullopt},
        RefusalRow{"MonitorCommandPasswordRefused", SendCommand, MonitorCommandPending, kPassword, 0, Prompt::Refused, Ends(Notification::MonitorResult, OperationResult::PasswordRefused)},
        RefusalRow{"MonitorCommandLastTryEnds", SendCommand, MonitorCommandPending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::MonitorResult, kRejected)},
        RefusalRow{"SystemInfoPasswordIsLikeAnyRefusal", GetSystemInfo, SystemInfoPending, kPassword, 1, Prompt::None, std::nullopt},
        RefusalRow{"SystemInfoLastTryEnds", GetSystemInfo, SystemInfoPending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::SystemInfoResult, kRejected)},
        RefusalRow{"SystemInfoCheckLastTryEnds", CheckSystemInfo, SystemInfoCheckPending, kPassword, kLastTry, Prompt::None, Ends(Notification::SystemInfoResult, kRejected)},
        RefusalRow{"LanInfoRetryLaterRepeats", GetLanInfo, LanInfoPending, cause::RetryLater, 1, Prompt::None, std::nullopt},
        RefusalRow{"LanInfoOtherCauseEndsAtOnce", GetLanInfo, LanInfoPending, kOtherCause, 0, Prompt::None, Ends(Notification::LanInfoResult, kRejected)},
        RefusalRow{"LanInfoRetryLaterOnTheLastTryEnds", GetLanInfo, LanInfoPending, cause::RetryLater, kLastTry, Prompt::None, Ends(Notification::LanInfoResult, kRejected)},
        RefusalRow{"PasswordChangeWithWrongOldPassword", ChangePassword, PasswordChangePending, kPassword, 0, Prompt::None, Ends(Notification::PasswordChangeResult, OperationResult::OldPasswordWrong)},
        RefusalRow{"PasswordChangeOtherCauseRepeats", ChangePassword, PasswordChangePending, cause::NotAllowed, 0, Prompt::None, std::nullopt},
        RefusalRow{"PasswordChangeLastTryEnds", ChangePassword, PasswordChangePending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::PasswordChangeResult, kRejected)},
        RefusalRow{"GetTimePasswordGiven", GetDateTime, GetTimePending, kPassword, 0, Prompt::Given, std::nullopt},
        RefusalRow{"GetTimePasswordGivenOnTheLastTryStillRepeats", GetDateTime, GetTimePending, kPassword, kLastTry, Prompt::Given, std::nullopt},
        RefusalRow{"GetTimePasswordRefused", GetDateTime, GetTimePending, kPassword, 0, Prompt::Refused, Ends(Notification::GetTimeResult, OperationResult::PasswordRefused)},
        RefusalRow{"GetTimeLastTryEnds", GetDateTime, GetTimePending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::GetTimeResult, kRejected)},
        RefusalRow{"SetTimePasswordGiven", SetDateTime, SetTimePending, kPassword, 1, Prompt::Given, std::nullopt},
        RefusalRow{"SetTimePasswordRefused", SetDateTime, SetTimePending, kPassword, 0, Prompt::Refused, Ends(Notification::SetTimeResult, OperationResult::PasswordRefused)},
        RefusalRow{"SetTimeLastTryEnds", SetDateTime, SetTimePending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::SetTimeResult, kRejected)},
        RefusalRow{"ModuleInfoPasswordIsLikeAnyRefusal", GetModuleInfo, ModuleInfoPending, kPassword, 0, Prompt::None, std::nullopt},
        RefusalRow{"ModuleInfoLastTryEnds", GetModuleInfo, ModuleInfoPending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::ModuleInfoResult, kRejected)},
        RefusalRow{"ModuleResetPasswordGiven", ResetModule, ModuleResetPending, kPassword, 0, Prompt::Given, std::nullopt},
        RefusalRow{"ModuleResetPasswordRefused", ResetModule, ModuleResetPending, kPassword, 0, Prompt::Refused, Ends(Notification::ModuleResetResult, OperationResult::PasswordRefused)},
        RefusalRow{"ModuleResetLastTryEnds", ResetModule, ModuleResetPending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::ModuleResetResult, kRejected)},
        // The cell list is asked at most twice: the first refusal repeats, the second ends.
        RefusalRow{"CellsFirstRefusalRepeats", GetCells, CellsPending, kPassword, std::nullopt, Prompt::None, std::nullopt},
        RefusalRow{"CellsSecondRefusalEnds", GetCells, CellsPending, kOtherCause, kLastTry, Prompt::None, Ends(Notification::CellsResult, kRejected)}),
    test::RowName<RefusalRow>);

class IdleRefusalOrder : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  IdleRefusalOrder() { engine.SetState(EngineState::Idle); }
};

TEST_F(IdleRefusalOrder, FirstPendingRequestInTheFixedOrderTakesTheRefusal) {
  ASSERT_TRUE(engine.GetModuleInfo(0));
  ASSERT_TRUE(engine.StopMonitoring());  // MonitorStopPending ranks before ModuleInfoPending
  engine.SetRetries(kMaxRepeats);
  host.ClearRecords();
  Receive(RejectWith({kOtherCause}));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{Ends(Notification::MonitorResult, kRejected)}));
  EXPECT_TRUE(engine.HasPending(ModuleInfoPending));
}

TEST_F(IdleRefusalOrder, RefusalForNoPendingRequestOnlyKeepsItsCause) {
  Receive(RejectWith({cause::NotAllowed}));
  EXPECT_EQ(engine.causeText(), "94");
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_EQ(engine.state(), EngineState::Idle);
}

// ---- What each request sends (the login password is "pw") ----

constexpr DateTimeRecord kPiDay{2025, 3, 5, 14, 15, 9, 26, 500};

std::string Raw(const DeviceMessage& message, std::uint8_t element) {
  const auto found = FindElement(message, element);
  return found ? std::string(found->data.begin(), found->data.end()) : "<absent>";
}

struct RequestRow {
  const char* name;
  bool (*start)(OperationEngine&);
  std::uint8_t element;
  std::string data;
  std::string password;  // raw, NUL included; "<absent>" when none travels
  std::uint32_t ProgramSettings::*timeout;
  friend void PrintTo(const RequestRow& row, std::ostream* out) { *out << row.name; }
};

class IdleRequests : public ::testing::TestWithParam<RequestRow>, protected test::ScriptedEngine {};

TEST_P(IdleRequests, SendTheirElementAndRepeatItUnchangedOnTimeout) {
  const RequestRow& row = GetParam();
  engine.SetState(EngineState::Idle);
  engine.SetLoginPassword("pw");
  ASSERT_TRUE(row.start(engine));
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(Raw(host.sent[0].message, row.element), row.data);
  EXPECT_EQ(Raw(host.sent[0].message, ie::Password), row.password);
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.*row.timeout));

  clock.Advance(milliseconds(settings.*row.timeout));
  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[1].message.buffer(), host.sent[0].message.buffer());
}

const std::string kPw("pw\0", 3);
constexpr auto kCommTimeout = &ProgramSettings::communicationTimeout;

INSTANTIATE_TEST_SUITE_P(
    Idle, IdleRequests,
    ::testing::Values(
        RequestRow{"GetTimeAsksWithAnEmptyElement", GetDateTime, ie::DateTime, "", kPw, kCommTimeout},
        RequestRow{"SetTimeSendsSecondsFirst", [](OperationEngine& e) { return e.SetDateTime(kPiDay); }, ie::DateTime, "\x1A\x09\x0F\x0E\x03\x19", kPw, kCommTimeout},
        RequestRow{"SetTimeYear2000", [](OperationEngine& e) { return e.SetDateTime({2000, 1, 0, 1, 0, 0, 0, 0}); }, ie::DateTime, std::string("\0\0\0\x01\x01\0", 6), kPw, kCommTimeout},
        RequestRow{"SetTimeYear2255", [](OperationEngine& e) { return e.SetDateTime({2255, 12, 0, 31, 23, 59, 59, 999}); }, ie::DateTime, "\x3B\x3B\x17\x1F\x0C\xFF", kPw, kCommTimeout},
        RequestRow{"PasswordChangeSendsTheOldPasswordInsteadOfTheLogin", ChangePassword, ie::NewPassword, std::string("new\0", 4), std::string("old\0", 4), kCommTimeout},
        RequestRow{"NewPasswordOfFullLength", [](OperationEngine& e) { return e.ChangePassword(std::string(kLoginPasswordCapacity, 'x'), "old"); }, ie::NewPassword, std::string(kLoginPasswordCapacity, 'x') + '\0', std::string("old\0", 4), kCommTimeout},
        RequestRow{"MonitorCommandWithoutNul", [](OperationEngine& e) { return e.SendMonitorCommand("gsm 1"); }, ie::MonitorCommand, "gsm 1", kPw, kCommTimeout},
        RequestRow{"ModuleInfoWithoutPassword", GetModuleInfo, ie::ModuleType, "\x01", "<absent>", kCommTimeout},
        RequestRow{"ModuleResetWithPassword", ResetModule, ie::ModuleReset, "\x01", kPw, kCommTimeout},
        RequestRow{"CellsWaitTheirOwnTimeout", GetCells, ie::ModuleCells, "\x01", "<absent>", &ProgramSettings::communicationTimeoutReadCells},
        RequestRow{"SystemInfoWithoutPassword", GetSystemInfo, ie::LoaderVersion, "", "<absent>", kCommTimeout},
        RequestRow{"LanInfoWithoutPassword", GetLanInfo, ie::LanInfo, "", "<absent>", kCommTimeout}),
    test::RowName<RequestRow>);

// ---- Starts refused before anything is sent ----

struct RefusedStartRow {
  const char* name;
  bool (*start)(OperationEngine&);
  friend void PrintTo(const RefusedStartRow& row, std::ostream* out) { *out << row.name; }
};

class RefusedStarts : public ::testing::TestWithParam<RefusedStartRow>, protected test::ScriptedEngine {};

TEST_P(RefusedStarts, SendNothingAndLeaveNothingPending) {
  engine.SetState(EngineState::Idle);
  EXPECT_FALSE(GetParam().start(engine));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.linkQueries, 0);
  EXPECT_EQ(engine.pending(), 0u);
}

bool SetTime(OperationEngine& e, DateTimeRecord time) { return e.SetDateTime(time); }

INSTANTIATE_TEST_SUITE_P(
    Idle, RefusedStarts,
    ::testing::Values(
        RefusedStartRow{"SetTimeMonth13", [](OperationEngine& e) { return SetTime(e, {2025, 13, 0, 1, 0, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeFebruary30", [](OperationEngine& e) { return SetTime(e, {2025, 2, 0, 30, 0, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeFebruary29NotLeap", [](OperationEngine& e) { return SetTime(e, {2025, 2, 0, 29, 0, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeHour24", [](OperationEngine& e) { return SetTime(e, {2025, 1, 0, 1, 24, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeSecond60", [](OperationEngine& e) { return SetTime(e, {2025, 1, 0, 1, 0, 0, 60, 0}); }},
        RefusedStartRow{"SetTimeBefore2000", [](OperationEngine& e) { return SetTime(e, {1999, 12, 0, 31, 0, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeAfter2255", [](OperationEngine& e) { return SetTime(e, {2256, 1, 0, 1, 0, 0, 0, 0}); }},
        RefusedStartRow{"SetTimeAllZero", [](OperationEngine& e) { return SetTime(e, {}); }},
        RefusedStartRow{"ModuleInfoOfModule2", [](OperationEngine& e) { return e.GetModuleInfo(2); }},
        RefusedStartRow{"ModuleResetOfModuleMinus2", [](OperationEngine& e) { return e.ResetModule(-2); }},
        RefusedStartRow{"CellsOfModule256", [](OperationEngine& e) { return e.GetCells(256); }},
        RefusedStartRow{"NewPasswordLongerThanTheGatewayTakes", [](OperationEngine& e) { return e.ChangePassword(std::string(kLoginPasswordCapacity + 1, 'x'), "old"); }}),
    test::RowName<RefusedStartRow>);

}  // namespace
}  // namespace tusko
