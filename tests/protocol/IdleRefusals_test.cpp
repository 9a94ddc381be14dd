// Negative replies in Idle: for each idle-state request, what a refusal does —
// send again, ask for the login password, or end with the request's own
// result — on a scripted host.
#include <gtest/gtest.h>

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

}  // namespace
}  // namespace tusko
