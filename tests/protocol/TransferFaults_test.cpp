// The transfers' and restarts' faults the gateway model does not make, played
// message by message on a scripted host (every transfer whole, its refusals,
// cancels and silences against the model: RoundTrip_test).
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/ImageLayout.h"
#include "protocol/TransferConstants.h"
#include "protocol/TransferScript.h"
#include "protocol/engine/CauseText.h"
#include "protocol/engine/CdrRecordStore.h"
#include "protocol/engine/CdrTransfer.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using Bytes = std::vector<std::uint8_t>;
using std::chrono::milliseconds;
using std::chrono::seconds;
using test::AddressOf;
using test::AddressReply;
using test::DenseImage;
using test::ElementData;
using test::Number32;
using test::ReadReply;
using test::RecordedNotification;
using test::ReplyWith;

constexpr std::uint8_t kFill = 0x11;
constexpr milliseconds kResendDelay{1000};  // an announcement block's, while the gateway may still be busy with it

// An idle engine, the files its updates read and the store its record download fills.
class Transfer : public test::TransferTest {
 public:
  std::unique_ptr<test::TempFile> firmware;
  std::unique_ptr<test::TempFile> announcement;
  test::MemoryCdrStore store;
};

template <typename Row>
class Table : public Transfer, public ::testing::WithParamInterface<Row> {};

struct Operation {
  void (*start)(Transfer&);
  Notification result;
  PendingRequest flag = {};  // an idle request's mark, kept while it waits for its answer
};

void Acknowledge(Transfer& t, std::uint8_t element) { t.Receive(ReplyWith({{element, {}}})); }

const Operation kDownload{[](Transfer& t) { ASSERT_TRUE(t.engine.StartDownload()); }, Notification::DownloadResult};
const Operation kDownloadAfterABlock{[](Transfer& t) {
                                       kDownload.start(t);
                                       t.Receive(test::ReadReply(kConfigBaseAddress, Bytes(kReadBlockBytes, kFill)));
                                     },
                                     Notification::DownloadResult};
const Operation kUploadBlock{[](Transfer& t) {
                               ASSERT_TRUE(t.engine.StartUpload(test::DenseImage()));
                               Acknowledge(t, ie::ConfigWriteStart);
                             },
                             Notification::UploadResult};
constexpr std::uint32_t kFirmwareBase = 0x10000;
// A checked file of one section, its update started.
const Operation kFirmwareStart{[](Transfer& t) {
                                 t.firmware = std::make_unique<test::TempFile>(test::FirmwareFileBytes(
                                     {{kSectionTypeApplication, kFirmwareBase, test::FirmwareData(300)}}));
                                 t.engine.firmwareFile().SetIdentificationRequired(false);
                                 ASSERT_TRUE(t.engine.firmwareFile().OpenFile(t.firmware->path()));
                                 ASSERT_EQ(t.engine.firmwareFile().Parse(), FirmwareParseResult::Ok);
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
// The gateway has accepted the update: its blocks go out.
const Operation kAnnouncementSending{[](Transfer& t) {
                                       kAnnouncementStart.start(t);
                                       Acknowledge(t, ie::AnnouncementStart);
                                     },
                                     Notification::AnnouncementResult};
const Operation kAnnouncementBlock{[](Transfer& t) {
                                     kAnnouncementSending.start(t);
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
// Two requests wait: a refusal concerns the first in the fixed order, MonitorStop before ModuleInfo.
const Operation kModuleInfoAndMonitorStop{[](Transfer& t) {
                                            kModuleInfo.start(t);
                                            kMonitorStop.start(t);
                                          },
                                          N::MonitorResult, MonitorStopPending};

// ---- A restart in the middle ----

struct CutRow {
  const char* name;
  const Operation* operation;
};

using TransferCutByRestart = Table<CutRow>;

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

using Refusal = Table<RefusalRow>;

TEST_P(Refusal, FollowsTheNegativeReplyRule) {
  const RefusalRow& row = GetParam();
  engine.SetLoginPassword("tusk");
  row.operation->start(*this);
  const DeviceMessage refused = host.sent.back().message;
  if (row.repeatsBefore) OperationsOf(engine).SetRetries(*row.repeatsBefore);
  if (row.prompt == Prompt::Given) host.passwordAnswers = {"tusk"};
  const std::uint32_t others = engine.pending() & ~row.operation->flag;  // requests the refusal does not concern
  host.ClearRecords();
  Receive(test::SealedMessage(MessageType::Reject, {{ie::Cause, row.cause}}));
  EXPECT_EQ(engine.pending() & ~row.operation->flag, others);

  EXPECT_EQ(engine.causeText(), FormatCauseBytes(row.cause));
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
        RefusalRow{"MonitorStopRanksBeforeModuleInfo", &kModuleInfoAndMonitorStop, {kOther}, kLastTry, Prompt::None, kRejected},
        // The cell list is asked at most twice: the first refusal repeats, the second ends.
        RefusalRow{"CellsFirstRefusalRepeats", &kCells, {kPassword}, kAsStarted, Prompt::None, kGoesOn},
        RefusalRow{"CellsSecondRefusalEnds", &kCells, {kOther}, kLastTry, Prompt::None, kRejected}),
    test::RowName<RefusalRow>);

// ---- A reply that answers nothing the transfer waits for ----

struct StrayRow {
  const char* name;
  const Operation* operation;
  DeviceMessage stray;
  std::vector<const char*> logged;
  milliseconds repeatAfter{0};  // the unanswered request goes again after this wait; 0: not looked at here
};

using StrayReply = Table<StrayRow>;

// It is written down at most; the transfer neither moves on nor ends over it.
TEST_P(StrayReply, ChangesNothingAndTheTransferWaitsOn) {
  const StrayRow& row = GetParam();
  row.operation->start(*this);
  const EngineState state = engine.state();
  const ConfigurationImage image = engine.configTransfer().image();
  const ConfigTransfer::Counters counters = engine.configTransfer().counters();
  const int stored = store.offered;
  const DeviceMessage unanswered = host.sent.back().message;
  host.ClearRecords();
  Receive(row.stray);

  for (const char* line : row.logged) EXPECT_TRUE(host.Logged(line)) << line;
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_EQ(engine.state(), state);
  EXPECT_TRUE(host.TimerRunning());
  EXPECT_EQ(engine.configTransfer().image(), image);
  EXPECT_EQ(engine.configTransfer().counters().acknowledgedOffset, counters.acknowledgedOffset);
  EXPECT_EQ(engine.configTransfer().counters().pendingCount, counters.pendingCount);
  EXPECT_EQ(store.offered, stored);
  EXPECT_EQ(engine.firmwareFile().IsOpen(), firmware != nullptr);
  EXPECT_EQ(engine.announcementFile().IsOpen(), announcement != nullptr);
  if (row.repeatAfter == milliseconds::zero()) return;

  EXPECT_EQ(host.TimerDelay(), row.repeatAfter);
  clock.Advance(row.repeatAfter);
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(host.sent[0].message.buffer(), unanswered.buffer());
  EXPECT_EQ(engine.retries(), 1);
  EXPECT_TRUE(host.notifications.empty());  // a repeat shows no progress
}

DeviceMessage ReadReplyAt(std::vector<std::uint8_t> address) {
  return ReplyWith({{ie::ConfigReadData, Bytes(kReadBlockBytes, 0x22)}, {ie::Address, std::move(address)}});
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, StrayReply,
    ::testing::Values(
        StrayRow{"DownloadBlockAhead", &kDownloadAfterABlock, ReadReplyAt({0x00, 0x07, 0x01, 0x00}), {"Invalid address (00070100)"}},
        StrayRow{"DownloadBlockBehind", &kDownloadAfterABlock, ReadReplyAt({0x00, 0x07, 0x00, 0x00}), {"Invalid address (00070000)", "Skip"}},
        StrayRow{"DownloadAddressNotFourBytes", &kDownloadAfterABlock, ReadReplyAt({0x07, 0x00, 0x80}), {"Invalid address (FFFFFFFF)"}},
        // A probe's late version reply answers no read; the version is kept.
        StrayRow{"DownloadVersionReply", &kDownloadAfterABlock, ReplyWith({test::TextElement(ie::FirmwareVersion, "1.2.9")}), {}},
        StrayRow{"FirmwareStopBeforeTheLastBlock", &kFirmwareBlock, ReplyWith({{ie::FlashStop, {}}}), {"Stop acknowledge before the last block"}},
        StrayRow{"FirmwareAcknowledgementOfAnotherAddress", &kFirmwareBlock, ReplyWith({{ie::FlashAddress, Number32(0x12345678)}}),
                 {"Acknowledge of invalid address (12345678)"}, milliseconds(EngineSettings{}.communicationTimeoutFlashLoad)},
        StrayRow{"AnnouncementStopBeforeTheLastBlock", &kAnnouncementBlock, ReplyWith({{ie::AnnouncementStop, {}}}), {}},
        StrayRow{"AnnouncementAcknowledgementOfAnotherAddress", &kAnnouncementBlock, test::AnnouncementBlockAck(0x200),
                 {"Acknowledge of invalid address (00000200)"}, kResendDelay},
        StrayRow{"CdrChunkWithoutAddress", &kCdrAfterAChunk, ReplyWith({{ie::CdrData, Bytes(64, 1)}}), {"Address missing"}}),
    test::RowName<StrayRow>);

// ---- A gateway that never comes back after a restart ----

struct NeverBackRow {
  const char* name;
  EngineState waiting;
  LinkType link;
  Notification failure;
};

class LinkNeverBack : public ::testing::TestWithParam<NeverBackRow>, protected test::ScriptedEngine {
 protected:
  LinkNeverBack() {
    host.type = GetParam().link;
    host.link = LinkState::Closed;
    host.openLink = [] { return false; };  // a serial port that stays away, a TCP connection refused
    OperationsOf(engine).SetState(GetParam().waiting);
  }
};

TEST_P(LinkNeverBack, EndsTheOperationAfterTheSwitchToFirmwareTimeout) {
  const milliseconds bound{settings.communicationTimeoutSwitchToFirmware};
  engine.OnTimer();  // the switch time-out: the first look for the link
  clock.Advance(bound - milliseconds(1));
  EXPECT_EQ(host.notifications, std::vector<RecordedNotification>{});
  EXPECT_TRUE(host.sent.empty());

  clock.Advance(milliseconds(1));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{GetParam().failure, 0, false}}));
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_FALSE(host.TimerRunning());

  host.ClearRecords();
  clock.Advance(seconds(60));
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.reopens, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Restart, LinkNeverBack,
    ::testing::Values(
        NeverBackRow{"SerialToTheLoader", EngineState::WaitLoader, LinkType::Serial, Notification::RestartFailed},
        NeverBackRow{"SerialToTheFirmware", EngineState::WaitFirmware, LinkType::Serial, Notification::RestartFailed},
        NeverBackRow{"TcpToTheFirmware", EngineState::WaitFirmware, LinkType::Tcp, Notification::RestartFailed},
        NeverBackRow{"SerialForTheFirmwareUpdate", EngineState::FlashWaitLoader, LinkType::Serial, Notification::OperationFailed},
        NeverBackRow{"SerialForTheUpload", EngineState::WriteWaitLoader, LinkType::Serial, Notification::OperationFailed},
        NeverBackRow{"SerialAfterTheUpload", EngineState::WriteWaitFirmware, LinkType::Serial, Notification::OperationFailed}),
    test::RowName<NeverBackRow>);

TEST_F(Transfer, LoaderAnswerLeadsToSwitchToFirmwareOnce) {
  OperationsOf(engine).SetState(EngineState::InLoader);
  Receive(ReplyWith({test::TextElement(ie::LoaderVersion, "0.9")}));
  Receive(ReplyWith({test::TextElement(ie::LoaderVersion, "0.9")}));
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::SwitchToFirmware});
  EXPECT_TRUE(engine.HasPending(SwitchToFirmwareSent));
}

// ---- The configuration transfers ----

class ConfigDownload : public Transfer {
 protected:
  milliseconds DataTimeout() const { return Ms(&EngineSettings::communicationTimeoutDataRead); }
  milliseconds Delay() const { return Ms(&EngineSettings::dataReadWriteRequestDelay); }
};

// A short block would leave a hole that a later write sends back: asked again, the third ends the download.
TEST_F(ConfigDownload, ShortBlockInTheMiddleIsAskedForAgain) {
  settings.dataReadWriteMaxPendingRequests = 1;
  ASSERT_TRUE(engine.StartDownload());
  Receive(ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, kFill)));
  const std::uint32_t second = ConfigDeviceAddress(kReadBlockBytes);
  const std::vector<std::uint8_t> half(kReadBlockBytes / 2, 0x22);
  Receive(ReadReply(second, half));
  EXPECT_TRUE(host.Logged("Data IE too short (64)"));
  EXPECT_EQ(AddressOf(LastSent()), second);
  EXPECT_EQ(engine.retries(), 1);
  EXPECT_EQ(engine.configTransfer().image().Byte(kReadBlockBytes), layout::kUnset);

  Receive(ReadReply(second, std::vector<std::uint8_t>(kReadBlockBytes, 0x33)));
  EXPECT_EQ(AddressOf(LastSent()), ConfigDeviceAddress(2 * kReadBlockBytes));
  EXPECT_EQ(engine.configTransfer().image().Byte(kReadBlockBytes), 0x33);

  for (int i = 0; i < kMaxTries; ++i) Receive(ReadReply(ConfigDeviceAddress(2 * kReadBlockBytes), half));
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 1);
  EXPECT_EQ(host.CountOf(Notification::DownloadResult), 0);
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_FALSE(host.TimerRunning());
}

TEST_F(ConfigDownload, AnswersInFlightForASkippedPartAreNotAwaited) {
  ConfigurationImage gateway = DenseImage();
  gateway.Fill(layout::lcr::kClipTable.section, layout::kUnset);
  ASSERT_TRUE(engine.StartDownload());
  // Answers only while nothing more can go out, so that the window stays full.
  test::AnswerUntil(
      *this, [this] { return engine.state() != EngineState::Reading; },
      [&gateway](const DeviceMessage& request) { return test::ServeRead(gateway, request); },
      [this] { return host.TimerDelay() == DataTimeout(); });

  EXPECT_TRUE(host.Logged("Skip"));  // answers for the skipped part, still on their way
  EXPECT_EQ(host.CountOf(Notification::DownloadResult, 1), 1);
  EXPECT_EQ(engine.configTransfer().image(), gateway);
}

TEST_F(ConfigDownload, RequestDelayOnTheLastTryIsNoFailure) {
  settings.dataReadWriteMaxPendingRequests = 2;
  ASSERT_TRUE(engine.StartDownload());
  clock.Advance(Delay());  // the window is full
  for (int stall = 0; stall < kMaxRepeats; ++stall) clock.Advance(DataTimeout() + Delay());

  ASSERT_EQ(engine.retries(), kMaxRepeats);
  EXPECT_EQ(engine.state(), EngineState::Reading);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(AddressOf(LastSent()), ConfigDeviceAddress(kReadBlockBytes));
  EXPECT_EQ(host.TimerDelay(), DataTimeout());
}

TEST_F(ConfigDownload, AnswerAfterAStallIsAcceptedAndResetsTheTries) {
  settings.dataReadWriteMaxPendingRequests = 1;
  ASSERT_TRUE(engine.StartDownload());
  clock.Advance(DataTimeout());
  ASSERT_EQ(engine.retries(), 1);
  // Both the first request's late answer and the repeat's arrive.
  Receive(ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, kFill)));
  Receive(ReadReply(kConfigBaseAddress, std::vector<std::uint8_t>(kReadBlockBytes, kFill)));

  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(engine.configTransfer().counters().acknowledgedOffset, kReadBlockBytes);
  EXPECT_EQ(engine.configTransfer().counters().pendingCount, 1u);
  EXPECT_TRUE(host.Logged("Invalid address (00070000)"));
}

TEST_F(Transfer, UploadWindowStalledStartsAgainFromTheFirstUnconfirmedBlock) {
  settings.dataReadWriteMaxPendingRequests = 2;
  kUploadBlock.start(*this);
  clock.Advance(Ms(&EngineSettings::dataReadWriteRequestDelay));
  Receive(AddressReply(kConfigBaseAddress));  // the window is full: the third block goes out
  host.ClearRecords();
  clock.Advance(Ms(&EngineSettings::communicationTimeoutDataWrite));

  EXPECT_EQ(engine.retries(), 1);
  ASSERT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::ConfigWriteData});
  EXPECT_EQ(AddressOf(LastSent()), ConfigDeviceAddress(208));
  EXPECT_TRUE(host.notifications.empty());  // a repeat shows no progress
}

TEST_F(Transfer, UploadEndsOnAVersionReplyToTheStop) {
  kUploadBlock.start(*this);
  // Every block is confirmed as it goes out, until the stop is sent.
  test::AnswerUntil(
      *this, [this] { return test::MainElement(LastSent()) == ie::ConfigWriteStop; },
      [](const DeviceMessage& request) { return std::optional(AddressReply(AddressOf(request).value_or(0))); },
      [] { return true; });
  Receive(ReplyWith({test::TextElement(ie::FirmwareVersion, "1.2.9")}));

  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.CountOf(Notification::UploadResult, 1), 1);
  EXPECT_FALSE(host.TimerRunning());
}

// ---- The firmware update ----

// Without an update a cancel sends nothing.
TEST_F(Transfer, FirmwareCancelIgnoresAcknowledgementsUntilTheLoaderConfirms) {
  engine.CancelFirmwareUpdate();
  EXPECT_TRUE(host.sent.empty());
  kFirmwareBlock.start(*this);
  engine.CancelFirmwareUpdate();
  EXPECT_EQ(test::MainElement(LastSent()), ie::FlashCancel);
  EXPECT_TRUE(host.Logged("Cancel firmware update"));
  EXPECT_TRUE(engine.HasPending(FlashCancelPending));

  const std::size_t sentBefore = host.sent.size();
  Receive(ReplyWith({{ie::FlashAddress, Number32(kFirmwareBase)}}));
  EXPECT_EQ(host.sent.size(), sentBefore);
  EXPECT_EQ(engine.state(), EngineState::Flashing);

  clock.Advance(Ms(&EngineSettings::communicationTimeoutFlashLoad));  // the cancel is what goes again
  EXPECT_EQ(test::MainElement(LastSent()), ie::FlashCancel);

  // The loader confirms: it is asked to start the firmware, and the result waits for that.
  Acknowledge(*this, ie::FlashCancel);
  EXPECT_EQ(test::MainElement(LastSent()), ie::SwitchToFirmware);
  EXPECT_EQ(engine.state(), EngineState::InLoader);
  EXPECT_EQ(host.CountOf(Notification::FirmwareResult), 0);
  EXPECT_FALSE(engine.HasPending(FlashCancelPending));
  EXPECT_FALSE(engine.firmwareFile().IsOpen());
}

// The file closed under the update (the window's dialog went with an error):
// every way the update would start again ends it instead of leaving it waiting.
TEST_F(Transfer, FirmwareFileClosedEndsTheUpdateWhereItWouldStartAgain) {
  struct Row {
    const char* name;
    std::function<void()> step;
  };
  const DeviceMessage loaderUp = test::EventWith({{ie::LoaderStarted, {}}});
  const Row rows[] = {
      {"start_timed_out", [this] { clock.Advance(Ms(&EngineSettings::communicationTimeoutFlashLoadStart)); }},
      {"loader_up_while_starting", [&] { Receive(loaderUp); }},
      {"loader_up_after_the_restart",
       [&] {
         Acknowledge(*this, ie::Reset);
         Receive(loaderUp);
       }},
  };
  for (const Row& row : rows) {
    host.ClearRecords();
    kFirmwareStart.start(*this);
    engine.firmwareFile().CloseFile();
    row.step();
    EXPECT_EQ(host.CountOf(Notification::FirmwareResult, static_cast<int>(OperationResult::Rejected)), 1) << row.name;
    EXPECT_EQ(engine.causeText(), host.languageText("strFlashLeftInLoader")) << row.name;
    EXPECT_EQ(engine.state(), EngineState::Idle) << row.name;
    EXPECT_FALSE(host.TimerRunning()) << row.name;
  }
}

// ---- The announcement update ----

TEST_F(Transfer, AnnouncementFileCutAfterItsCheckEndsTheUpdateAsFailed) {
  kAnnouncementSending.start(*this);
  std::filesystem::resize_file(announcement->path(), 300);  // as if another program cut it
  while (engine.state() == EngineState::AnnouncementSending && test::MainElement(LastSent()) == ie::AnnouncementData) {
    Receive(test::AnnouncementBlockAck(AddressOf(LastSent()).value_or(0)));
  }
  EXPECT_TRUE(host.Logged("Announcement file read error"));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.notifications.back(), (RecordedNotification{Notification::AnnouncementResult,
                                                             static_cast<int>(OperationResult::Rejected), false}));
  EXPECT_FALSE(engine.announcementFile().IsOpen());
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_FALSE(engine.causeText().empty());
  for (const auto& sent : host.sent) {
    EXPECT_NE(ElementData(sent.message, ie::AnnouncementData).size(), 48u) << "no padded part-block went out";
  }
}

TEST_F(Transfer, AnnouncementErasingOnTheLastTryStillResends) {
  kAnnouncementSending.start(*this);
  clock.Advance(2 * Ms(&EngineSettings::communicationTimeoutFlashLoad));
  ASSERT_EQ(engine.retries(), kMaxRepeats);
  Acknowledge(*this, ie::FlashErasing);
  clock.Advance(kResendDelay);
  EXPECT_EQ(engine.state(), EngineState::AnnouncementSending);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 0);
}

TEST_F(Transfer, AnnouncementErasingLongUsesUpTriesAfterTheFourthReport) {
  kAnnouncementSending.start(*this);
  for (int erasing = 0; erasing < 4 + kMaxTries; ++erasing) {
    Acknowledge(*this, ie::FlashErasing);
    clock.Advance(kResendDelay);
  }
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 1);
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_FALSE(engine.announcementFile().IsOpen());
}

// ---- The CDR download ----

// The last request acknowledges this chunk, as a plain Request.
void ExpectAcknowledged(const DeviceMessage& request, std::uint32_t address, std::uint8_t length) {
  EXPECT_EQ(request.type(), static_cast<std::uint8_t>(MessageType::Request));
  EXPECT_EQ(ElementData(request, ie::CdrData), Bytes{length});
  EXPECT_EQ(ElementData(request, ie::CdrAddress), Number32(address));
  EXPECT_FALSE(FindElement(request, ie::Cause).has_value());
}

// Only the next chunk is taken: one further on, after a gap too, or across the store's wrap.
TEST_F(Transfer, CdrDownloadTakesOnlyTheNextChunk) {
  const struct { const char* name; std::uint32_t lastPosition; std::size_t lastLength; std::uint32_t address;
                 std::size_t length; bool accepted; } rows[] = {
      {"BelowWithoutWrap", 0x20, 32, 0x10, 32, false},
      {"BeyondTheWrappedEnd", 0x7FFFF0, 32, 0x20, 32, false},
      {"SameChunkAgain", 0x100, 192, 0x100, 192, false},
      {"StaleChunkBeforeTheWrap", 0x7FFF40, 192, 0x7FFF00, 64, false},
      {"FurtherOn", 0x100, 192, 0x1C0, 64, true},
      {"GapFurtherOn", 0x100, 64, 0x400, 64, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    store.chunks.clear();
    ASSERT_TRUE(engine.StartCdrDownload(store));
    Receive(test::CdrChunkReply(row.lastPosition, row.lastLength));
    host.ClearRecords();
    Receive(test::CdrChunkReply(row.address, row.length));
    if (row.accepted) {
      ExpectAcknowledged(LastSent(), row.address, static_cast<std::uint8_t>(row.length));
      EXPECT_EQ(store.chunks.size(), 2u);
    } else {
      char line[32];
      std::snprintf(line, sizeof line, "Invalid address (%08X)", static_cast<unsigned>(row.address));
      EXPECT_TRUE(host.Logged(line));
      EXPECT_TRUE(host.sent.empty());
      EXPECT_TRUE(host.TimerRunning());
      EXPECT_EQ(store.chunks.size(), 1u);
    }
    engine.CancelCdr();
  }
}

TEST_F(Transfer, CdrRestartWithoutLinkEndsTheDownload) {
  ASSERT_TRUE(engine.StartCdrDownload(store));
  host.ClearRecords();
  host.linkAnswers = {false};
  Receive(test::RejectWith({cause::CdrRestart}));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(store.closes, 1);
  EXPECT_EQ(host.CountOf(Notification::OperationFailed), 1);
  EXPECT_NE(engine.state(), EngineState::CdrReading);
}

// A chunk the store refuses is asked for again by a Reject that tells the
// gateway how many records were lost; the Reject names only the chunk stored
// before it, never the refused one, so the gateway cannot take it for a release.
TEST_F(Transfer, CdrChunkRefusedIsRequestedAgainAndNeverAcknowledged) {
  engine.SetLoginPassword("pw");
  ASSERT_TRUE(engine.StartCdrDownload(store));
  Receive(test::CdrChunkReply(0, 192));
  store.failures = 3;
  for (int attempt = 0; attempt < 3; ++attempt) {
    host.ClearRecords();
    Receive(test::CdrChunkReply(0xC0, 192));
    EXPECT_TRUE(host.Logged("CDR download error"));
    if (attempt < 2) {
      ASSERT_EQ(host.sent.size(), 1u) << attempt;
      EXPECT_EQ(LastSent().type(), static_cast<std::uint8_t>(MessageType::Reject));
      EXPECT_EQ(ElementData(LastSent(), ie::Cause), (Bytes{cause::CdrStoreFailed, 3}));
      EXPECT_EQ(ElementData(LastSent(), ie::CdrData), Bytes{192});
      EXPECT_EQ(ElementData(LastSent(), ie::CdrAddress), Number32(0));
      EXPECT_EQ(ElementData(LastSent(), ie::Password), (Bytes{'p', 'w', 0}));
      EXPECT_EQ(engine.retries(), attempt + 1);
    }
  }
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{Notification::CdrResult, 2, false}}));
  EXPECT_TRUE(engine.causeText().empty());
  EXPECT_EQ(store.closes, 1);
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_FALSE(host.TimerRunning());
}

// A refused first chunk is rejected in the first request's form; the same
// chunk, stored when it comes again, is acknowledged as usual.
TEST_F(Transfer, CdrFirstChunkRefusedIsAskedForInTheFirstRequestFormThenAcknowledged) {
  ASSERT_TRUE(engine.StartCdrDownload(store));
  store.failures = 1;
  Receive(test::CdrChunkReply(0x200, 100));
  EXPECT_EQ(LastSent().type(), static_cast<std::uint8_t>(MessageType::Reject));
  EXPECT_TRUE(ElementData(LastSent(), ie::CdrData).empty());
  EXPECT_FALSE(FindElement(LastSent(), ie::CdrAddress).has_value());
  EXPECT_EQ(ElementData(LastSent(), ie::Cause), (Bytes{cause::CdrStoreFailed, 2}));
  Receive(test::CdrChunkReply(0x200, 100));
  ExpectAcknowledged(LastSent(), 0x200, 100);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(store.chunks.size(), 1u);
}

}  // namespace
}  // namespace tusko
