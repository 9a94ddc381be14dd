// What every operation started from Idle shares: its first request and how it
// goes on or ends when the gateway refuses it (the negative-reply rule with
// each operation's results); and what every transfer shares besides: its
// cancel, a restart in the middle, and silence (three tries). An ended
// transfer leaves no file open.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "protocol/TransferConstants.h"
#include "protocol/TransferScript.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::RecordedNotification;
using test::ReplyWith;

// A scripted engine with what the transfers need at hand.
class Transfer : public test::ScriptedEngine {
 public:
  Transfer() { OperationsOf(engine).SetState(EngineState::Idle); }

  // What an ended operation leaves: no timer and no open file.
  void ExpectReleased() {
    EXPECT_FALSE(host.TimerRunning());
    EXPECT_FALSE(engine.firmwareFile().IsOpen());
    EXPECT_FALSE(engine.announcementFile().IsOpen());
    EXPECT_EQ(store.closes, cdrStarted ? 1 : 0);
  }

  std::unique_ptr<test::TempFile> firmware;
  std::unique_ptr<test::TempFile> announcement;
  test::MemoryCdrStore store;
  bool cdrStarted = false;
};

struct Operation {
  void (*start)(Transfer&);
  Notification result;
  PendingRequest flag = {};  // an idle request's mark, kept while it waits for its answer
};

// An idle request, started as the window starts it.
template <auto start, Notification result, PendingRequest flag>
constexpr Operation kIdle{[](Transfer& t) { ASSERT_TRUE(start(t.engine)); }, result, flag};

void Acknowledge(Transfer& t, std::uint8_t element) { t.Receive(ReplyWith({{element, {}}})); }

const Operation kDownload{[](Transfer& t) { ASSERT_TRUE(t.engine.StartDownload()); }, Notification::DownloadResult};
const Operation kUploadStart{[](Transfer& t) { ASSERT_TRUE(t.engine.StartUpload(test::DenseImage())); },
                             Notification::UploadResult};
const Operation kUploadBlock{[](Transfer& t) {
                               kUploadStart.start(t);
                               Acknowledge(t, ie::ConfigWriteStart);
                             },
                             Notification::UploadResult};
const Operation kFirmwareStart{[](Transfer& t) {
                                 t.firmware = test::LoadFirmware(
                                     t.engine, {{kSectionTypeApplication, test::kFirmwareBase, test::FirmwareData(300)}});
                                 ASSERT_TRUE(t.engine.StartFirmwareUpdate());
                               },
                               Notification::FirmwareResult};
const Operation kFirmwareBlock{[](Transfer& t) {
                                 kFirmwareStart.start(t);
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
                                     for (int block = 0; block < 3; ++block) {
                                       t.Receive(test::AnnouncementBlockAck(
                                           test::AddressOf(t.host.sent.back().message).value_or(0)));
                                     }
                                   },
                                   Notification::AnnouncementResult};
// Every block acknowledged: the stop is out.
const Operation kAnnouncementStop{[](Transfer& t) {
                                    kAnnouncementStart.start(t);
                                    Acknowledge(t, ie::AnnouncementStart);
                                    while (test::MainElement(t.host.sent.back().message) == ie::AnnouncementData) {
                                      t.Receive(test::AnnouncementBlockAck(
                                          test::AddressOf(t.host.sent.back().message).value_or(0)));
                                    }
                                  },
                                  Notification::AnnouncementResult};
const Operation kCdr{[](Transfer& t) {
                       t.cdrStarted = true;
                       ASSERT_TRUE(t.engine.StartCdrDownload(t.store));
                     },
                     Notification::CdrResult};
const Operation kCdrAfterAChunk{[](Transfer& t) {
                                  kCdr.start(t);
                                  t.Receive(test::CdrChunkReply(0x80, 64));
                                },
                                Notification::CdrResult};

const Operation kReset{[](Transfer& t) { ASSERT_TRUE(t.engine.ResetDevice()); }, Notification::ResetRejected};

constexpr DateTimeRecord kPiDay{2025, 3, 5, 14, 15, 9, 26, 500};
using N = Notification;
const Operation kMonitorStart = kIdle<[](OperationEngine& e) { return e.StartMonitoring(); }, N::MonitorResult, MonitorStartPending>;
const Operation kMonitorStop = kIdle<[](OperationEngine& e) { return e.StopMonitoring(); }, N::MonitorResult, MonitorStopPending>;
const Operation kMonitorCommand = kIdle<[](OperationEngine& e) { return e.SendMonitorCommand("gsm 1"); }, N::MonitorResult, MonitorCommandPending>;
const Operation kSystemInfo = kIdle<[](OperationEngine& e) { return e.GetSystemInfo(); }, N::SystemInfoResult, SystemInfoPending>;
const Operation kSystemInfoCheck = kIdle<[](OperationEngine& e) { return e.CheckSystemInfo(); }, N::SystemInfoResult, SystemInfoCheckPending>;
const Operation kLanInfo = kIdle<[](OperationEngine& e) { return e.GetLanInfo(); }, N::LanInfoResult, LanInfoPending>;
const Operation kPasswordChange = kIdle<[](OperationEngine& e) { return e.ChangePassword("new", "old"); }, N::PasswordChangeResult, PasswordChangePending>;
const Operation kGetTime = kIdle<[](OperationEngine& e) { return e.GetDateTime(); }, N::GetTimeResult, GetTimePending>;
const Operation kSetTime = kIdle<[](OperationEngine& e) { return e.SetDateTime(kPiDay); }, N::SetTimeResult, SetTimePending>;
const Operation kModuleInfo = kIdle<[](OperationEngine& e) { return e.GetModuleInfo(1); }, N::ModuleInfoResult, ModuleInfoPending>;
const Operation kModuleReset = kIdle<[](OperationEngine& e) { return e.ResetModule(1); }, N::ModuleResetResult, ModuleResetPending>;
const Operation kCells = kIdle<[](OperationEngine& e) { return e.GetCells(1); }, N::CellsResult, CellsPending>;

// Where a request points: its configuration, flash or CDR address.
std::vector<std::uint8_t> Where(const DeviceMessage& message) {
  std::vector<std::uint8_t> where;
  for (std::uint8_t id : {ie::Address, ie::FlashAddress, ie::CdrAddress}) {
    const auto data = test::ElementData(message, id);
    where.insert(where.end(), data.begin(), data.end());
  }
  return where;
}

std::string CauseText(const std::vector<std::uint8_t>& cause) {
  std::string text;
  for (std::uint8_t byte : cause) {
    char hex[4];
    std::snprintf(hex, sizeof hex, text.empty() ? "%02X" : " %02X", byte);
    text += hex;
  }
  return text;
}

// ---- The first request (the login password is "tusk") ----

const std::string kTusk("tusk\0", 5);
using test::kAbsent;

struct StartRow {
  const char* name;
  const Operation* operation;
  std::uint8_t element;
  std::string data;  // raw, NUL included
  std::vector<std::uint8_t> where;
  std::string password;  // raw, NUL included; kAbsent when none travels
  EngineState state;
  std::vector<RecordedNotification> notified;
  const char* line;
  std::uint32_t EngineSettings::*timeout;
};

class FirstRequest : public ::testing::TestWithParam<StartRow>, protected Transfer {};

TEST_P(FirstRequest, CarriesItsElementAndPasswordAndWaitsItsTimeout) {
  const StartRow& row = GetParam();
  engine.SetLoginPassword("tusk");
  Receive(test::RejectWith({cause::InvalidData}));
  host.ClearRecords();
  row.operation->start(*this);

  // A cancel or a refused login ends an operation without a cause of its own:
  // the cause text the window finds then must not be an older refusal's.
  EXPECT_EQ(engine.causeText(), "");
  ASSERT_EQ(host.sent.size(), 1u);
  const DeviceMessage& request = host.sent[0].message;
  EXPECT_EQ(request.type(), static_cast<std::uint8_t>(MessageType::Request));
  EXPECT_EQ(test::MainElement(request), row.element);
  EXPECT_EQ(test::ElementRaw(request, row.element), row.data);
  EXPECT_EQ(Where(request), row.where);
  EXPECT_EQ(test::ElementRaw(request, ie::Password), row.password);
  EXPECT_EQ(host.linkQueries, 1);
  EXPECT_EQ(engine.state(), row.state);
  EXPECT_EQ(host.notifications, row.notified);
  if (row.line) {
    EXPECT_TRUE(host.Logged(row.line));
  }
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.*row.timeout));
}

RecordedNotification Notified(Notification code) { return {code, 0, false}; }

const std::string kFullPassword(kLoginPasswordCapacity, 'x');
bool ChangeToFullPassword(OperationEngine& e) { return e.ChangePassword(kFullPassword, "old"); }
const Operation kFullPasswordChange = kIdle<ChangeToFullPassword, N::PasswordChangeResult, PasswordChangePending>;
bool LongestCommandBesideTheLongestPassword(OperationEngine& e) {
  e.SetLoginPassword(std::string(kLoginPasswordCapacity, 'p'));
  return e.SendMonitorCommand(std::string(kMonitorCommandCapacity, 'c'));
}
const Operation kLongestMonitorCommand =
    kIdle<LongestCommandBesideTheLongestPassword, N::MonitorResult, MonitorCommandPending>;
const std::string kOld("old\0", 4);
constexpr auto kCommTimeout = &EngineSettings::communicationTimeout;
using enum EngineState;

INSTANTIATE_TEST_SUITE_P(
    Operation, FirstRequest,
    ::testing::Values(
        StartRow{"Download", &kDownload, ie::ConfigReadData, "", test::Number32(kConfigBaseAddress), kTusk, Reading, {Notified(N::DownloadProgress), Notified(N::DownloadStarted)}, "Start data download", &EngineSettings::dataReadWriteRequestDelay},
        StartRow{"Upload", &kUploadStart, ie::ConfigWriteStart, std::string("\x00\x00\x72\x94", 4), test::Number32(kConfigBaseAddress), kTusk, WriteStarting, {Notified(N::UploadStarted)}, "Start data upload", &EngineSettings::communicationTimeoutDataWriteStart},
        StartRow{"Firmware", &kFirmwareStart, ie::FlashStart, std::string(1, static_cast<char>(kFlashStartValue)), {}, kTusk, FlashStarting, {Notified(N::FirmwareStarted)}, "Start firmware update", &EngineSettings::communicationTimeoutFlashLoadStart},
        // The announcement starts after the file's 58-byte header.
        StartRow{"Announcement", &kAnnouncementStart, ie::AnnouncementStart, "\x02", test::Number32(58), kTusk, AnnouncementStarting, {Notified(N::AnnouncementStarted)}, "Start announcements update", &EngineSettings::communicationTimeoutFlashLoadStart},
        StartRow{"Cdr", &kCdr, ie::CdrData, "", {}, kTusk, CdrReading, {Notified(N::DownloadStarted)}, "Start CDR download", &EngineSettings::communicationTimeoutDataWrite},
        StartRow{"ResetWithPassword", &kReset, ie::Reset, "", {}, kTusk, ResetSent, {Notified(N::Reset)}, nullptr, &EngineSettings::communicationTimeoutReset},
        StartRow{"GetTimeAsksWithAnEmptyElement", &kGetTime, ie::DateTime, "", {}, kTusk, Idle, {Notified(N::GetTimeRequested)}, "Get date/time", kCommTimeout},
        StartRow{"SetTimeSendsSecondsFirst", &kSetTime, ie::DateTime, "\x1A\x09\x0F\x0E\x03\x19", {}, kTusk, Idle, {Notified(N::SetTimeRequested)}, "Set date/time", kCommTimeout},
        StartRow{"PasswordChangeSendsTheOldPasswordInsteadOfTheLogin", &kPasswordChange, ie::NewPassword, std::string("new\0", 4), {}, kOld, Idle, {Notified(N::PasswordChangeRequested)}, nullptr, kCommTimeout},
        StartRow{"NewPasswordOfFullLength", &kFullPasswordChange, ie::NewPassword, kFullPassword + '\0', {}, kOld, Idle, {Notified(N::PasswordChangeRequested)}, nullptr, kCommTimeout},
        StartRow{"MonitorCommandWithoutNul", &kMonitorCommand, ie::MonitorCommand, "gsm 1", {}, kTusk, Idle, {Notified(N::MonitorRequestSent)}, nullptr, kCommTimeout},
        StartRow{"LongestMonitorCommandFitsBesideTheLongestPassword", &kLongestMonitorCommand, ie::MonitorCommand, std::string(kMonitorCommandCapacity, 'c'), {}, std::string(kLoginPasswordCapacity, 'p') + '\0', Idle, {Notified(N::MonitorRequestSent)}, nullptr, kCommTimeout},
        StartRow{"ModuleInfoWithoutPassword", &kModuleInfo, ie::ModuleType, "\x01", {}, kAbsent, Idle, {Notified(N::ModuleInfoRequested)}, nullptr, kCommTimeout},
        StartRow{"ModuleResetWithPassword", &kModuleReset, ie::ModuleReset, "\x01", {}, kTusk, Idle, {Notified(N::ModuleResetRequested)}, nullptr, kCommTimeout},
        StartRow{"CellsWaitTheirOwnTimeout", &kCells, ie::ModuleCells, "\x01", {}, kAbsent, Idle, {Notified(N::CellsRequested)}, nullptr, &EngineSettings::communicationTimeoutReadCells},
        StartRow{"SystemInfoWithoutPassword", &kSystemInfo, ie::LoaderVersion, "", {}, kAbsent, Idle, {Notified(N::SystemInfoRequested)}, "Get system info", kCommTimeout},
        StartRow{"LanInfoWithoutPassword", &kLanInfo, ie::LanInfo, "", {}, kAbsent, Idle, {Notified(N::LanInfoRequested)}, "Get LAN info", kCommTimeout},
        StartRow{"SystemInfoCheckWithoutPassword", &kSystemInfoCheck, ie::LoaderVersion, "", {}, kAbsent, Idle, {Notified(N::SystemInfoRequested)}, "Get system info", kCommTimeout},
        StartRow{"MonitorStartAsksWhoAnswersFirst", &kMonitorStart, ie::LoaderVersion, "", {}, kAbsent, Idle, {Notified(N::MonitorRequestSent)}, "Get system info", kCommTimeout},
        StartRow{"MonitorStop", &kMonitorStop, ie::MonitorStop, "", {}, kAbsent, Idle, {Notified(N::MonitorRequestSent)}, nullptr, kCommTimeout}),
    test::RowName<StartRow>);

// ---- Cancel ----

struct CancelRow {
  const char* name;
  const Operation* operation;
  void (*cancel)(OperationEngine&);
  const char* line;
  DeviceMessage lateAnswer;
};

class TransferCancel : public ::testing::TestWithParam<CancelRow>, protected Transfer {};

TEST_P(TransferCancel, SendsNothingEndsWithCancelledAndIgnoresLateAnswers) {
  const CancelRow& row = GetParam();
  row.operation->start(*this);
  host.ClearRecords();
  row.cancel(engine);

  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{
                                    {row.operation->result, static_cast<int>(OperationResult::Cancelled), false}}));
  EXPECT_TRUE(host.Logged(row.line));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(engine.retries(), 0);
  ExpectReleased();

  const ConfigurationImage image = engine.configTransfer().image();
  Receive(row.lateAnswer);
  clock.Advance(milliseconds(settings.communicationTimeoutDataWriteStart));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.notifications.size(), 1u);
  EXPECT_EQ(engine.configTransfer().image(), image);
  EXPECT_EQ(store.offered, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, TransferCancel,
    ::testing::Values(
        CancelRow{"Download", &kDownload, [](OperationEngine& e) { e.CancelDownload(); }, "Cancel data download", test::ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, 0x11))},
        CancelRow{"Upload", &kUploadBlock, [](OperationEngine& e) { e.CancelUpload(); }, "Cancel data upload", test::AddressReply(kConfigBaseAddress)},
        CancelRow{"Announcement", &kAnnouncementBlock, [](OperationEngine& e) { e.CancelAnnouncementUpdate(); }, "Cancel announcements update", test::AnnouncementBlockAck(3 * 128)},
        CancelRow{"Cdr", &kCdr, [](OperationEngine& e) { e.CancelCdr(); }, "Cancel CDR download", test::CdrChunkReply(0, 64)}),
    test::RowName<CancelRow>);

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

// ---- Negative replies (reads and upload blocks always refused: RoundTrip_test) ----

enum class Prompt { None, Given, Refused };

struct RefusalRow {
  const char* name;
  const Operation* operation;
  std::vector<std::uint8_t> cause;
  std::optional<int> repeatsBefore;  // the repeat count when the refusal comes; none: as the start left it
  Prompt prompt;
  std::optional<RecordedNotification> end;  // nothing: the request goes out again
};

class Refusal : public ::testing::TestWithParam<RefusalRow>, protected Transfer {};

TEST_P(Refusal, FollowsTheNegativeReplyRule) {
  const RefusalRow& row = GetParam();
  engine.SetLoginPassword("tusk");
  row.operation->start(*this);
  const EngineState running = engine.state();
  const DeviceMessage refused = host.sent.back().message;
  if (row.repeatsBefore) OperationsOf(engine).SetRetries(*row.repeatsBefore);
  const int repeats = engine.retries();
  if (row.prompt == Prompt::Given) host.passwordAnswers = {"tusk"};
  host.ClearRecords();
  Receive(test::SealedMessage(MessageType::Reject, {{ie::Cause, row.cause}}));

  // An idle request keeps every refusal's cause, a transfer only the one it ends with.
  if (row.operation->flag || (row.end && row.end->value == static_cast<int>(OperationResult::Rejected))) {
    EXPECT_EQ(engine.causeText(), CauseText(row.cause));
  }
  EXPECT_EQ(host.passwordQueries, row.prompt == Prompt::None ? 0 : 1);
  const PendingRequest flag = row.operation->flag;
  if (!row.end) {
    ASSERT_EQ(host.sent.size(), 1u);
    EXPECT_EQ(host.sent[0].message.buffer(), refused.buffer());  // the same request again
    EXPECT_EQ(engine.state(), running);
    EXPECT_TRUE(host.TimerRunning());
    // A repeat after the password on the last try is still the last: the next refusal ends it.
    EXPECT_EQ(engine.retries(), std::min(repeats + 1, kMaxRepeats));
    EXPECT_EQ(host.CountOf(row.operation->result), 0);
    EXPECT_EQ(host.CountOf(Notification::NotAllowed), 0);
    if (flag) {
      EXPECT_TRUE(engine.HasPending(flag));
    }
    return;
  }
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.notifications.back(), *row.end);
  EXPECT_EQ(host.CountOf(row.operation->result), row.end->code == row.operation->result ? 1 : 0);
  if (flag) {
    EXPECT_FALSE(engine.HasPending(flag));
  }
  ExpectReleased();
}

RecordedNotification Ends(const Operation& operation, OperationResult result) {
  return {operation.result, static_cast<int>(result), false};
}

constexpr std::uint8_t kPassword = cause::PasswordRequired;
constexpr std::uint8_t kOther = 0x81;
constexpr int kLastTry = kMaxRepeats;
const RecordedNotification kNotAllowed{Notification::NotAllowed, 0, false};
constexpr auto kRejected = OperationResult::Rejected;
constexpr auto kRefused = OperationResult::PasswordRefused;
constexpr auto kAsStarted = std::nullopt;
constexpr auto kGoesOn = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Operation, Refusal,
    ::testing::Values(
        RefusalRow{"DownloadPasswordGiven", &kDownload, {kPassword}, kAsStarted, Prompt::Given, kGoesOn},
        RefusalRow{"DownloadPasswordRefused", &kDownload, {kPassword}, kAsStarted, Prompt::Refused, Ends(kDownload, kRefused)},
        RefusalRow{"DownloadNotAllowed", &kDownload, {cause::NotAllowed}, kAsStarted, Prompt::None, kNotAllowed},
        RefusalRow{"UploadStartPasswordGiven", &kUploadStart, {kPassword}, kAsStarted, Prompt::Given, kGoesOn},
        RefusalRow{"UploadStartPasswordRefused", &kUploadStart, {kPassword}, kAsStarted, Prompt::Refused, Ends(kUploadStart, kRefused)},
        RefusalRow{"UploadStartNotAllowed", &kUploadStart, {cause::NotAllowed}, kAsStarted, Prompt::None, kNotAllowed},
        RefusalRow{"UploadBlockPasswordGiven", &kUploadBlock, {kPassword}, kAsStarted, Prompt::Given, kGoesOn},
        RefusalRow{"UploadBlockPasswordRefused", &kUploadBlock, {kPassword}, kAsStarted, Prompt::Refused, Ends(kUploadBlock, kRefused)},
        RefusalRow{"FirmwareStartPasswordRefused", &kFirmwareStart, {kPassword}, kAsStarted, Prompt::Refused, Ends(kFirmwareStart, kRefused)},
        RefusalRow{"FirmwareStartNotAllowed", &kFirmwareStart, {cause::NotAllowed}, kAsStarted, Prompt::None, kNotAllowed},
        RefusalRow{"FirmwareStartLastTryEnds", &kFirmwareStart, {kOther}, kLastTry, Prompt::None, Ends(kFirmwareStart, kRejected)},
        RefusalRow{"FirmwareBlockLastTryEnds", &kFirmwareBlock, {kOther}, kLastTry, Prompt::None, Ends(kFirmwareBlock, kRejected)},
        // Announcements are never repeated after a refusal, but for a password given.
        RefusalRow{"AnnouncementStartRefused", &kAnnouncementStart, {0x99, 0x01}, kAsStarted, Prompt::None, Ends(kAnnouncementStart, kRejected)},
        RefusalRow{"AnnouncementBlockRefused", &kAnnouncementBlock, {0x99, 0x01}, kAsStarted, Prompt::None, Ends(kAnnouncementBlock, kRejected)},
        RefusalRow{"AnnouncementPasswordGiven", &kAnnouncementStart, {kPassword}, kAsStarted, Prompt::Given, kGoesOn},
        RefusalRow{"AnnouncementPasswordRefused", &kAnnouncementStart, {kPassword}, kAsStarted, Prompt::Refused, Ends(kAnnouncementStart, kRefused)},
        RefusalRow{"AnnouncementNotAllowed", &kAnnouncementStart, {cause::NotAllowed}, kAsStarted, Prompt::None, kNotAllowed},
        // A refused login prompt ends the restart before the gateway goes away.
        RefusalRow{"ResetPasswordRefused", &kReset, {kPassword}, kAsStarted, Prompt::Refused, RecordedNotification{N::Reset, static_cast<int>(kRefused), false}},
        RefusalRow{"ResetPasswordGivenOnTheLastTryStillRepeats", &kReset, {kPassword}, kLastTry, Prompt::Given, kGoesOn},
        RefusalRow{"ResetNotAllowed", &kReset, {cause::NotAllowed}, kAsStarted, Prompt::None, kNotAllowed},
        RefusalRow{"ResetLastTryEnds", &kReset, {kOther, 0x02}, kLastTry, Prompt::None, Ends(kReset, kRejected)},
        RefusalRow{"CdrPasswordGiven", &kCdr, {kPassword}, kAsStarted, Prompt::Given, kGoesOn},
        RefusalRow{"CdrPasswordRefused", &kCdr, {kPassword}, kAsStarted, Prompt::Refused, Ends(kCdr, kRefused)},
        RefusalRow{"CdrNotAllowed", &kCdr, {cause::NotAllowed}, kAsStarted, Prompt::None, kNotAllowed},
        RefusalRow{"CdrLastTryEnds", &kCdrAfterAChunk, {0x9C, 0x01}, kLastTry, Prompt::None, Ends(kCdr, kRejected)},
        RefusalRow{"MonitorStartPasswordIsLikeAnyRefusal", &kMonitorStart, {kPassword}, 0, Prompt::None, kGoesOn},
        RefusalRow{"MonitorStartLastTryEnds", &kMonitorStart, {kOther, 0x05}, kLastTry, Prompt::None, Ends(kMonitorStart, kRejected)},
        RefusalRow{"MonitorStopRepeats", &kMonitorStop, {cause::NotAllowed}, 1, Prompt::None, kGoesOn},
        RefusalRow{"MonitorStopLastTryEnds", &kMonitorStop, {kPassword}, kLastTry, Prompt::None, Ends(kMonitorStop, kRejected)},
        RefusalRow{"MonitorCommandPasswordGiven", &kMonitorCommand, {kPassword}, 0, Prompt::Given, kGoesOn},
        RefusalRow{"MonitorCommandPasswordRefused", &kMonitorCommand, {kPassword}, 0, Prompt::Refused, Ends(kMonitorCommand, kRefused)},
        RefusalRow{"MonitorCommandLastTryEnds", &kMonitorCommand, {kOther}, kLastTry, Prompt::None, Ends(kMonitorCommand, kRejected)},
        RefusalRow{"SystemInfoPasswordIsLikeAnyRefusal", &kSystemInfo, {kPassword}, 1, Prompt::None, kGoesOn},
        RefusalRow{"SystemInfoLastTryEnds", &kSystemInfo, {kOther}, kLastTry, Prompt::None, Ends(kSystemInfo, kRejected)},
        RefusalRow{"SystemInfoCheckRepeats", &kSystemInfoCheck, {kOther}, 1, Prompt::None, kGoesOn},
        RefusalRow{"SystemInfoCheckLastTryEnds", &kSystemInfoCheck, {kPassword}, kLastTry, Prompt::None, Ends(kSystemInfoCheck, kRejected)},
        RefusalRow{"LanInfoRetryLaterRepeats", &kLanInfo, {cause::RetryLater}, 1, Prompt::None, kGoesOn},
        RefusalRow{"LanInfoOtherCauseEndsAtOnce", &kLanInfo, {kOther}, 0, Prompt::None, Ends(kLanInfo, kRejected)},
        RefusalRow{"LanInfoRetryLaterOnTheLastTryEnds", &kLanInfo, {cause::RetryLater}, kLastTry, Prompt::None, Ends(kLanInfo, kRejected)},
        RefusalRow{"PasswordChangeWithWrongOldPassword", &kPasswordChange, {kPassword}, 0, Prompt::None, Ends(kPasswordChange, OperationResult::OldPasswordWrong)},
        RefusalRow{"PasswordChangeOtherCauseRepeats", &kPasswordChange, {cause::NotAllowed}, 0, Prompt::None, kGoesOn},
        RefusalRow{"PasswordChangeLastTryEnds", &kPasswordChange, {kOther}, kLastTry, Prompt::None, Ends(kPasswordChange, kRejected)},
        RefusalRow{"GetTimePasswordGiven", &kGetTime, {kPassword}, 0, Prompt::Given, kGoesOn},
        RefusalRow{"GetTimePasswordGivenOnTheLastTryStillRepeats", &kGetTime, {kPassword}, kLastTry, Prompt::Given, kGoesOn},
        RefusalRow{"GetTimePasswordRefused", &kGetTime, {kPassword}, 0, Prompt::Refused, Ends(kGetTime, kRefused)},
        RefusalRow{"GetTimeLastTryEnds", &kGetTime, {kOther}, kLastTry, Prompt::None, Ends(kGetTime, kRejected)},
        RefusalRow{"SetTimePasswordGiven", &kSetTime, {kPassword}, 1, Prompt::Given, kGoesOn},
        RefusalRow{"SetTimePasswordRefused", &kSetTime, {kPassword}, 0, Prompt::Refused, Ends(kSetTime, kRefused)},
        RefusalRow{"SetTimeLastTryEnds", &kSetTime, {kOther}, kLastTry, Prompt::None, Ends(kSetTime, kRejected)},
        RefusalRow{"ModuleInfoPasswordIsLikeAnyRefusal", &kModuleInfo, {kPassword}, 0, Prompt::None, kGoesOn},
        RefusalRow{"ModuleInfoLastTryEnds", &kModuleInfo, {kOther}, kLastTry, Prompt::None, Ends(kModuleInfo, kRejected)},
        RefusalRow{"ModuleResetPasswordGiven", &kModuleReset, {kPassword}, 0, Prompt::Given, kGoesOn},
        RefusalRow{"ModuleResetPasswordRefused", &kModuleReset, {kPassword}, 0, Prompt::Refused, Ends(kModuleReset, kRefused)},
        RefusalRow{"ModuleResetLastTryEnds", &kModuleReset, {kOther}, kLastTry, Prompt::None, Ends(kModuleReset, kRejected)},
        // The cell list is asked at most twice: the first refusal repeats, the second ends.
        RefusalRow{"CellsFirstRefusalRepeats", &kCells, {kPassword}, kAsStarted, Prompt::None, kGoesOn},
        RefusalRow{"CellsSecondRefusalEnds", &kCells, {kOther}, kLastTry, Prompt::None, Ends(kCells, kRejected)}),
    test::RowName<RefusalRow>);

// ---- No answer (reads and announcement blocks never answered: RoundTrip_test) ----

struct SilenceRow {
  const char* name;
  const Operation* operation;
  std::uint32_t EngineSettings::*timeout;
};

class TransferSilence : public ::testing::TestWithParam<SilenceRow>, protected Transfer {};

TEST_P(TransferSilence, RepeatsTheRequestTwiceThenFails) {
  const SilenceRow& row = GetParam();
  row.operation->start(*this);
  const DeviceMessage unanswered = host.sent.back().message;
  host.ClearRecords();
  for (int i = 0; i < kMaxTries; ++i) clock.Advance(milliseconds(settings.*row.timeout));

  ASSERT_EQ(host.sent.size(), static_cast<std::size_t>(kMaxRepeats));
  for (const auto& sent : host.sent) EXPECT_EQ(sent.message.buffer(), unanswered.buffer());
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::OperationFailed, 0, false}));
  EXPECT_EQ(host.CountOf(row.operation->result), 0);
  EXPECT_TRUE(host.Logged("Operation failed!"));
  EXPECT_EQ(engine.state(), EngineState::Failed);
  ExpectReleased();
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, TransferSilence,
    ::testing::Values(SilenceRow{"UploadStart", &kUploadStart, &EngineSettings::communicationTimeoutDataWriteStart},
                      SilenceRow{"FirmwareStart", &kFirmwareStart, &EngineSettings::communicationTimeoutFlashLoadStart},
                      SilenceRow{"FirmwareBlock", &kFirmwareBlock, &EngineSettings::communicationTimeoutFlashLoad},
                      SilenceRow{"AnnouncementStart", &kAnnouncementStart, &EngineSettings::communicationTimeoutFlashLoadStart},
                      SilenceRow{"AnnouncementStop", &kAnnouncementStop, &EngineSettings::communicationTimeoutFlashLoad},
                      SilenceRow{"CdrChunkAcknowledgement", &kCdrAfterAChunk, &EngineSettings::communicationTimeoutDataWrite}),
    test::RowName<SilenceRow>);

}  // namespace
}  // namespace tusko
