// A restart in the middle of every transfer, and the negative-reply rule of
// each idle request: faults the gateway model does not make (the transfers'
// refusals, cancels and silences: RoundTrip_test).
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "protocol/TransferScript.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using test::RecordedNotification;
using test::ReplyWith;

class Transfer : public test::ScriptedEngine {
 public:
  Transfer() { OperationsOf(engine).SetState(EngineState::Idle); }

  std::unique_ptr<test::TempFile> firmware;
  std::unique_ptr<test::TempFile> announcement;
  test::MemoryCdrStore store;
};

struct Operation {
  void (*start)(Transfer&);
  Notification result;
  PendingRequest flag = {};  // an idle request's mark, kept while it waits for its answer
};

void Acknowledge(Transfer& t, std::uint8_t element) { t.Receive(ReplyWith({{element, {}}})); }

const Operation kDownload{[](Transfer& t) { ASSERT_TRUE(t.engine.StartDownload()); }, Notification::DownloadResult};
const Operation kUploadBlock{[](Transfer& t) {
                               ASSERT_TRUE(t.engine.StartUpload(test::DenseImage()));
                               Acknowledge(t, ie::ConfigWriteStart);
                             },
                             Notification::UploadResult};
const Operation kFirmwareBlock{[](Transfer& t) {
                                 t.firmware = test::LoadFirmware(
                                     t.engine, {{kSectionTypeApplication, test::kFirmwareBase, test::FirmwareData(300)}});
                                 ASSERT_TRUE(t.engine.StartFirmwareUpdate());
                                 Acknowledge(t, ie::FlashStart);
                               },
                               Notification::FirmwareResult};
const Operation kAnnouncementStart{[](Transfer& t) {
                                     t.announcement = test::LoadAnnouncement(t.engine, 10000);
                                     ASSERT_TRUE(t.engine.StartAnnouncementUpdate(AnnouncementKind::Incoming));
                                   },
                                   Notification::AnnouncementResult};
const Operation kAnnouncementBlock{[](Transfer& t) {
                                     kAnnouncementStart.start(t);
                                     Acknowledge(t, ie::AnnouncementStart);
                                     t.Receive(test::AnnouncementBlockAck(0));
                                   },
                                   Notification::AnnouncementResult};
const Operation kCdrAfterAChunk{[](Transfer& t) {
                                  ASSERT_TRUE(t.engine.StartCdrDownload(t.store));
                                  t.Receive(test::CdrChunkReply(0x80, 64));
                                },
                                Notification::CdrResult};

// An idle request, started as the window starts it.
template <auto start, Notification result, PendingRequest flag>
constexpr Operation kIdle{[](Transfer& t) { ASSERT_TRUE(start(t.engine)); }, result, flag};

using N = Notification;
const Operation kMonitorStart = kIdle<[](OperationEngine& e) { return e.StartMonitoring(); }, N::MonitorResult, MonitorStartPending>;
const Operation kMonitorStop = kIdle<[](OperationEngine& e) { return e.StopMonitoring(); }, N::MonitorResult, MonitorStopPending>;
const Operation kMonitorCommand = kIdle<[](OperationEngine& e) { return e.SendMonitorCommand("gsm 1"); }, N::MonitorResult, MonitorCommandPending>;
const Operation kSystemInfo = kIdle<[](OperationEngine& e) { return e.GetSystemInfo(); }, N::SystemInfoResult, SystemInfoPending>;
const Operation kSystemInfoCheck = kIdle<[](OperationEngine& e) { return e.CheckSystemInfo(); }, N::SystemInfoResult, SystemInfoCheckPending>;
const Operation kLanInfo = kIdle<[](OperationEngine& e) { return e.GetLanInfo(); }, N::LanInfoResult, LanInfoPending>;
const Operation kPasswordChange = kIdle<[](OperationEngine& e) { return e.ChangePassword("new", "old"); }, N::PasswordChangeResult, PasswordChangePending>;
const Operation kGetTime = kIdle<[](OperationEngine& e) { return e.GetDateTime(); }, N::GetTimeResult, GetTimePending>;
const Operation kSetTime = kIdle<[](OperationEngine& e) { return e.SetDateTime({2025, 3, 5, 14, 15, 9, 26, 500}); }, N::SetTimeResult, SetTimePending>;
const Operation kModuleInfo = kIdle<[](OperationEngine& e) { return e.GetModuleInfo(1); }, N::ModuleInfoResult, ModuleInfoPending>;
const Operation kModuleReset = kIdle<[](OperationEngine& e) { return e.ResetModule(1); }, N::ModuleResetResult, ModuleResetPending>;
const Operation kCells = kIdle<[](OperationEngine& e) { return e.GetCells(1); }, N::CellsResult, CellsPending>;

std::string CauseText(const std::vector<std::uint8_t>& cause) {
  std::string text;
  for (std::uint8_t byte : cause) {
    char hex[4];
    std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", byte);
    text += hex;
  }
  return text;
}

// ---- A restart in the middle ----

struct CutRow {
  const char* name;
  const Operation* operation;
};

class TransferCutByRestart : public ::testing::TestWithParam<CutRow>, protected Transfer {};

// The loader starting in the middle of a transfer ends it with a failure that
// says why, instead of leaving its window and its command waiting.
TEST_P(TransferCutByRestart, EndsWithItsReasonAndTheLoaderIsAskedForTheFirmware) {
  const CutRow& row = GetParam();
  row.operation->start(*this);
  host.ClearRecords();
  Receive(test::EventWith({{ie::LoaderStarted, {}}}));

  EXPECT_EQ(host.CountOf(row.operation->result, static_cast<int>(OperationResult::Rejected)), 1);
  EXPECT_EQ(engine.causeText(), host.languageText("strErrorTransferRestart"));
  EXPECT_TRUE(host.Logged("Transfer cut off by a restart"));
  EXPECT_EQ(engine.state(), EngineState::InLoader);
  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::RestartAck, ie::SwitchToFirmware}));
  EXPECT_FALSE(engine.firmwareFile().IsOpen());
  EXPECT_FALSE(engine.announcementFile().IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Transfer, TransferCutByRestart,
                         ::testing::Values(CutRow{"Download", &kDownload}, CutRow{"Upload", &kUploadBlock},
                                           CutRow{"Firmware", &kFirmwareBlock},
                                           CutRow{"AnnouncementStart", &kAnnouncementStart},
                                           CutRow{"Announcement", &kAnnouncementBlock}, CutRow{"Cdr", &kCdrAfterAChunk}),
                         test::RowName<CutRow>);

// ---- An idle request refused ----

enum class Prompt { None, Given, Refused };

struct RefusalRow {
  const char* name;
  const Operation* operation;
  std::vector<std::uint8_t> cause;
  std::optional<int> repeatsBefore;  // the repeat count when the refusal comes; none: as the start left it
  Prompt prompt;
  std::optional<OperationResult> end;  // nothing: the request goes out again
};

class Refusal : public ::testing::TestWithParam<RefusalRow>, protected Transfer {};

TEST_P(Refusal, FollowsTheNegativeReplyRule) {
  const RefusalRow& row = GetParam();
  engine.SetLoginPassword("tusk");
  row.operation->start(*this);
  const DeviceMessage refused = host.sent.back().message;
  if (row.repeatsBefore) OperationsOf(engine).SetRetries(*row.repeatsBefore);
  if (row.prompt == Prompt::Given) host.passwordAnswers = {"tusk"};
  host.ClearRecords();
  Receive(test::SealedMessage(MessageType::Reject, {{ie::Cause, row.cause}}));

  EXPECT_EQ(engine.causeText(), CauseText(row.cause));
  EXPECT_EQ(host.passwordQueries, row.prompt == Prompt::None ? 0 : 1);
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(engine.HasPending(row.operation->flag), !row.end);
  if (!row.end) {
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].message.buffer(), refused.buffer());  // the same request again
    EXPECT_TRUE(host.TimerRunning());
    EXPECT_EQ(host.CountOf(row.operation->result), 0);
    return;
  }
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.notifications,
            (std::vector<RecordedNotification>{{row.operation->result, static_cast<int>(*row.end), false}}));
  EXPECT_FALSE(host.TimerRunning());
}

constexpr std::uint8_t kPassword = cause::PasswordRequired;
constexpr std::uint8_t kOther = 0x81;
constexpr int kLastTry = kMaxRepeats;
constexpr auto kRejected = OperationResult::Rejected;
constexpr auto kAsStarted = std::nullopt;
constexpr auto kGoesOn = std::nullopt;

// One repeat per request; the shared rule's ends once each (a wrong old password: RoundTrip_test).
INSTANTIATE_TEST_SUITE_P(
    Idle, Refusal,
    ::testing::Values(
        RefusalRow{"MonitorStartPasswordIsLikeAnyRefusal", &kMonitorStart, {kPassword}, 0, Prompt::None, kGoesOn},
        RefusalRow{"MonitorStopRepeats", &kMonitorStop, {cause::NotAllowed}, 1, Prompt::None, kGoesOn},
        RefusalRow{"MonitorCommandPasswordGiven", &kMonitorCommand, {kPassword}, 0, Prompt::Given, kGoesOn},
        RefusalRow{"MonitorCommandPasswordRefused", &kMonitorCommand, {kPassword}, 0, Prompt::Refused, OperationResult::PasswordRefused},
        RefusalRow{"SystemInfoPasswordIsLikeAnyRefusal", &kSystemInfo, {kPassword}, 1, Prompt::None, kGoesOn},
        RefusalRow{"SystemInfoLastTryEnds", &kSystemInfo, {kOther}, kLastTry, Prompt::None, kRejected},
        RefusalRow{"SystemInfoCheckRepeats", &kSystemInfoCheck, {kOther}, 1, Prompt::None, kGoesOn},
        RefusalRow{"LanInfoRetryLaterRepeats", &kLanInfo, {cause::RetryLater}, 1, Prompt::None, kGoesOn},
        RefusalRow{"LanInfoOtherCauseEndsAtOnce", &kLanInfo, {kOther}, 0, Prompt::None, kRejected},
        RefusalRow{"LanInfoRetryLaterOnTheLastTryEnds", &kLanInfo, {cause::RetryLater}, kLastTry, Prompt::None, kRejected},
        RefusalRow{"PasswordChangeOtherCauseRepeats", &kPasswordChange, {cause::NotAllowed}, 0, Prompt::None, kGoesOn},
        RefusalRow{"GetTimePasswordGivenOnTheLastTryStillRepeats", &kGetTime, {kPassword}, kLastTry, Prompt::Given, kGoesOn},
        RefusalRow{"SetTimePasswordGiven", &kSetTime, {kPassword}, 1, Prompt::Given, kGoesOn},
        RefusalRow{"ModuleInfoPasswordIsLikeAnyRefusal", &kModuleInfo, {kPassword}, 0, Prompt::None, kGoesOn},
        RefusalRow{"ModuleResetPasswordGiven", &kModuleReset, {kPassword}, 0, Prompt::Given, kGoesOn},
        // The cell list is asked at most twice: the first refusal repeats, the second ends.
        RefusalRow{"CellsFirstRefusalRepeats", &kCells, {kPassword}, kAsStarted, Prompt::None, kGoesOn},
        RefusalRow{"CellsSecondRefusalEnds", &kCells, {kOther}, kLastTry, Prompt::None, kRejected}),
    test::RowName<RefusalRow>);

}  // namespace
}  // namespace tusko
