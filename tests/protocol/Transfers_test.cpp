// What every transfer shares: its first request, its cancel, and how it ends
// when the gateway refuses it (the negative-reply rule with each operation's
// results, also for the device restart) or stays silent (three tries); an
// ended transfer leaves no file open.
#include <gtest/gtest.h>

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
};

void Acknowledge(Transfer& t, std::uint8_t element) { t.Receive(ReplyWith({{element, {}}})); }

const Operation kDownload{[](Transfer& t) { ASSERT_TRUE(t.engine.StartDownload()); }, Notification::DownloadResult};
const Operation kDownloadOneAtATime{[](Transfer& t) {
                                      t.settings.dataReadWriteMaxPendingRequests = 1;
                                      ASSERT_TRUE(t.engine.StartDownload());
                                    },
                                    Notification::DownloadResult};
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

// ---- The first request ----

struct StartRow {
  const char* name;
  const Operation* operation;
  std::uint8_t element;
  std::vector<std::uint8_t> data;
  std::vector<std::uint8_t> where;
  EngineState state;
  std::vector<RecordedNotification> notified;
  const char* line;
  std::uint32_t EngineSettings::*timeout;
};

class TransferStart : public ::testing::TestWithParam<StartRow>, protected Transfer {};

TEST_P(TransferStart, SendsTheFirstRequestWithThePassword) {
  const StartRow& row = GetParam();
  engine.SetLoginPassword("tusk");
  Receive(test::RejectWith({cause::InvalidData}));
  host.ClearRecords();
  row.operation->start(*this);

  EXPECT_EQ(engine.causeText(), "");  // not the older refusal's
  ASSERT_EQ(host.sent.size(), 1u);
  const DeviceMessage& request = host.sent[0].message;
  EXPECT_EQ(request.type(), static_cast<std::uint8_t>(MessageType::Request));
  EXPECT_EQ(test::MainElement(request), row.element);
  EXPECT_EQ(test::ElementData(request, row.element), row.data);
  EXPECT_EQ(Where(request), row.where);
  EXPECT_EQ(test::ElementData(request, ie::Password), (std::vector<std::uint8_t>{'t', 'u', 's', 'k', 0}));
  EXPECT_EQ(host.linkQueries, 1);
  EXPECT_EQ(engine.state(), row.state);
  EXPECT_EQ(host.notifications, row.notified);
  EXPECT_TRUE(host.Logged(row.line));
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.*row.timeout));
}

RecordedNotification Notified(Notification code) { return {code, 0, false}; }

INSTANTIATE_TEST_SUITE_P(
    Transfer, TransferStart,
    ::testing::Values(
        StartRow{"Download", &kDownload, ie::ConfigReadData, {}, test::Number32(kConfigBaseAddress), EngineState::Reading, {Notified(Notification::DownloadProgress), Notified(Notification::DownloadStarted)}, "Start data download", &EngineSettings::dataReadWriteRequestDelay},
        StartRow{"Upload", &kUploadStart, ie::ConfigWriteStart, {0x00, 0x00, 0x72, 0x94}, test::Number32(kConfigBaseAddress), EngineState::WriteStarting, {Notified(Notification::UploadStarted)}, "Start data upload", &EngineSettings::communicationTimeoutDataWriteStart},
        StartRow{"Firmware", &kFirmwareStart, ie::FlashStart, {kFlashStartValue}, {}, EngineState::FlashStarting, {Notified(Notification::FirmwareStarted)}, "Start firmware update", &EngineSettings::communicationTimeoutFlashLoadStart},
        // The announcement starts after the file's 58-byte header.
        StartRow{"Announcement", &kAnnouncementStart, ie::AnnouncementStart, {2}, test::Number32(58), EngineState::AnnouncementStarting, {Notified(Notification::AnnouncementStarted)}, "Start announcements update", &EngineSettings::communicationTimeoutFlashLoadStart},
        StartRow{"Cdr", &kCdr, ie::CdrData, {}, {}, EngineState::CdrReading, {Notified(Notification::DownloadStarted)}, "Start CDR download", &EngineSettings::communicationTimeoutDataWrite}),
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

// ---- Negative replies ----

enum class Prompt { None, Given, Refused };

struct RefusalRow {
  const char* name;
  const Operation* operation;
  std::vector<std::uint8_t> cause;
  Prompt prompt;
  int refusals;
  std::size_t repeats;                      // requests sent again
  std::optional<RecordedNotification> end;  // nothing: the transfer goes on
};

class TransferRefusal : public ::testing::TestWithParam<RefusalRow>, protected Transfer {};

TEST_P(TransferRefusal, FollowsTheNegativeReplyRule) {
  const RefusalRow& row = GetParam();
  row.operation->start(*this);
  const EngineState running = engine.state();
  const DeviceMessage refused = host.sent.back().message;
  if (row.prompt == Prompt::Given) host.passwordAnswers = {"tusk"};
  host.ClearRecords();
  for (int i = 0; i < row.refusals; ++i) Receive(test::SealedMessage(MessageType::Reject, {{ie::Cause, row.cause}}));

  EXPECT_EQ(host.passwordQueries, row.prompt == Prompt::None ? 0 : 1);
  ASSERT_EQ(host.sent.size(), row.repeats);
  for (const auto& sent : host.sent) {
    EXPECT_EQ(test::MainElement(sent.message), test::MainElement(refused));
    EXPECT_EQ(Where(sent.message), Where(refused));
    if (row.prompt == Prompt::Given) {
      EXPECT_EQ(test::ElementData(sent.message, ie::Password), (std::vector<std::uint8_t>{'t', 'u', 's', 'k', 0}));
    }
  }
  if (!row.end) {
    EXPECT_EQ(engine.state(), running);
    EXPECT_TRUE(host.TimerRunning());
    EXPECT_EQ(host.CountOf(row.operation->result), 0);
    EXPECT_EQ(host.CountOf(Notification::NotAllowed), 0);
    return;
  }
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(host.notifications.back(), *row.end);
  EXPECT_EQ(host.CountOf(row.operation->result), row.end->code == row.operation->result ? 1 : 0);
  if (row.end->value == static_cast<int>(OperationResult::Rejected)) {
    EXPECT_EQ(engine.causeText(), CauseText(row.cause));
  }
  ExpectReleased();
}

RecordedNotification Ends(const Operation& operation, OperationResult result) {
  return {operation.result, static_cast<int>(result), false};
}

constexpr std::uint8_t kPassword = cause::PasswordRequired;
const RecordedNotification kNotAllowed{Notification::NotAllowed, 0, false};
constexpr auto kRejected = OperationResult::Rejected;
constexpr auto kRefused = OperationResult::PasswordRefused;

INSTANTIATE_TEST_SUITE_P(
    Transfer, TransferRefusal,
    ::testing::Values(
        RefusalRow{"DownloadPasswordGiven", &kDownload, {kPassword}, Prompt::Given, 1, 1, std::nullopt},
        RefusalRow{"DownloadPasswordRefused", &kDownload, {kPassword}, Prompt::Refused, 1, 0, Ends(kDownload, kRefused)},
        RefusalRow{"DownloadNotAllowed", &kDownload, {cause::NotAllowed}, Prompt::None, 1, 0, kNotAllowed},
        RefusalRow{"DownloadRefusedThreeTimes", &kDownload, {0x01, 0x02}, Prompt::None, kMaxTries, kMaxRepeats, Ends(kDownload, kRejected)},
        RefusalRow{"UploadStartPasswordGiven", &kUploadStart, {kPassword}, Prompt::Given, 1, 1, std::nullopt},
        RefusalRow{"UploadStartPasswordRefused", &kUploadStart, {kPassword}, Prompt::Refused, 1, 0, Ends(kUploadStart, kRefused)},
        RefusalRow{"UploadStartNotAllowed", &kUploadStart, {cause::NotAllowed}, Prompt::None, 1, 0, kNotAllowed},
        RefusalRow{"UploadBlockPasswordGiven", &kUploadBlock, {kPassword}, Prompt::Given, 1, 1, std::nullopt},
        RefusalRow{"UploadBlockPasswordRefused", &kUploadBlock, {kPassword}, Prompt::Refused, 1, 0, Ends(kUploadBlock, kRefused)},
        RefusalRow{"UploadBlockRefusedThreeTimes", &kUploadBlock, {0x01}, Prompt::None, kMaxTries, kMaxRepeats, Ends(kUploadBlock, kRejected)},
        RefusalRow{"FirmwareStartPasswordRefused", &kFirmwareStart, {kPassword}, Prompt::Refused, 1, 0, Ends(kFirmwareStart, kRefused)},
        RefusalRow{"FirmwareStartNotAllowed", &kFirmwareStart, {cause::NotAllowed}, Prompt::None, 1, 0, kNotAllowed},
        RefusalRow{"FirmwareStartRefusedThreeTimes", &kFirmwareStart, {0x81}, Prompt::None, kMaxTries, kMaxRepeats, Ends(kFirmwareStart, kRejected)},
        RefusalRow{"FirmwareBlockRefusedThreeTimes", &kFirmwareBlock, {0x81}, Prompt::None, kMaxTries, kMaxRepeats, Ends(kFirmwareBlock, kRejected)},
        // Announcements are never repeated after a refusal, but for a password given.
        RefusalRow{"AnnouncementStartRefused", &kAnnouncementStart, {0x99, 0x01}, Prompt::None, 1, 0, Ends(kAnnouncementStart, kRejected)},
        RefusalRow{"AnnouncementBlockRefused", &kAnnouncementBlock, {0x99, 0x01}, Prompt::None, 1, 0, Ends(kAnnouncementBlock, kRejected)},
        RefusalRow{"AnnouncementPasswordGiven", &kAnnouncementStart, {kPassword}, Prompt::Given, 1, 1, std::nullopt},
        RefusalRow{"AnnouncementPasswordRefused", &kAnnouncementStart, {kPassword}, Prompt::Refused, 1, 0, Ends(kAnnouncementStart, kRefused)},
        RefusalRow{"AnnouncementNotAllowed", &kAnnouncementStart, {cause::NotAllowed}, Prompt::None, 1, 0, kNotAllowed},
        // A refused login prompt ends the restart before the gateway goes away.
        RefusalRow{"ResetPasswordRefused", &kReset, {kPassword}, Prompt::Refused, 1, 0, RecordedNotification{Notification::Reset, static_cast<int>(kRefused), false}},
        RefusalRow{"ResetNotAllowed", &kReset, {cause::NotAllowed}, Prompt::None, 1, 0, kNotAllowed},
        RefusalRow{"ResetRefusedThreeTimes", &kReset, {0x81, 0x02}, Prompt::None, kMaxTries, kMaxRepeats, Ends(kReset, kRejected)},
        RefusalRow{"CdrPasswordGiven", &kCdr, {kPassword}, Prompt::Given, 1, 1, std::nullopt},
        RefusalRow{"CdrPasswordRefused", &kCdr, {kPassword}, Prompt::Refused, 1, 0, Ends(kCdr, kRefused)},
        RefusalRow{"CdrNotAllowed", &kCdr, {cause::NotAllowed}, Prompt::None, 1, 0, kNotAllowed},
        RefusalRow{"CdrRefusedThreeTimes", &kCdrAfterAChunk, {0x9C, 0x01}, Prompt::None, kMaxTries, kMaxRepeats, Ends(kCdr, kRejected)}),
    test::RowName<RefusalRow>);

// ---- No answer ----

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
    ::testing::Values(SilenceRow{"DownloadWindowStalled", &kDownloadOneAtATime, &EngineSettings::communicationTimeoutDataRead},
                      SilenceRow{"UploadStart", &kUploadStart, &EngineSettings::communicationTimeoutDataWriteStart},
                      SilenceRow{"FirmwareStart", &kFirmwareStart, &EngineSettings::communicationTimeoutFlashLoadStart},
                      SilenceRow{"FirmwareBlock", &kFirmwareBlock, &EngineSettings::communicationTimeoutFlashLoad},
                      SilenceRow{"AnnouncementStart", &kAnnouncementStart, &EngineSettings::communicationTimeoutFlashLoadStart},
                      SilenceRow{"AnnouncementBlock", &kAnnouncementBlock, &EngineSettings::communicationTimeoutFlashLoad},
                      SilenceRow{"AnnouncementStop", &kAnnouncementStop, &EngineSettings::communicationTimeoutFlashLoad},
                      SilenceRow{"CdrChunkAcknowledgement", &kCdrAfterAChunk, &EngineSettings::communicationTimeoutDataWrite}),
    test::RowName<SilenceRow>);

}  // namespace
}  // namespace tusko
