// The transfers, the restart and the idle requests against the gateway
// model, in-process on virtual time, where a refusal, a password, a cancel, a
// silence or a lost answer takes a path of its own (each transfer's plain run
// and the wire's faults: tests/faults): the receiving side ends up holding
// exactly what was sent, or the operation reports a clear failure and the
// gateway keeps what it had; never a different copy reported as done, never
// silence over one.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/ImageLayout.h"
#include "config/TextFields.h"
#include "monitor/CdrFile.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "protocol/TransferScript.h"
#include "protocol/engine/CdrTransfer.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayFaults.h"
#include "sim/GatewayFlashLoader.h"
#include "support/FileText.h"
#include "support/FirmwareFiles.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

using std::chrono::seconds;
using sim::Fault;
using sim::FaultKind;
using test::GatewayHarness;

// Long enough for three tries of every request and two restarts of the gateway.
constexpr seconds kSettleTime{120};
constexpr int kEvery = 100000;  // a fault that hits every request
constexpr int kDone = static_cast<int>(OperationResult::Done);

// The sample configuration with changes in the general block and in every
// counted table: a new name, a routing rule fewer, more CLIP entries, no
// mobility extensions, and a changed last byte of the image.
ConfigurationImage ChangedImage(const ConfigurationImage& original) {
  namespace L = layout;
  ConfigurationImage image = original;
  WriteCountedText(image, L::general::kDeviceName, "Branch 7");
  const auto& routing = L::lcr::kRoutingTable;
  image.Fill(routing.RecordOffset(3), routing.recordSize, L::kUnset);
  for (std::size_t i = 2; i < 40; ++i) {
    WriteCountedString(image, L::CountedString24(L::lcr::kClipTable.RecordOffset(i)), std::to_string(4000 + i));
    image.SetByte(L::lcr::kClipTable.RecordOffset(i) + L::lcr::kClipProfile, 2);
  }
  image.Fill(L::mobility::kTable.section, L::kUnset);
  image.SetByte(kConfigImageSize - 1, 0x42);
  return image;
}

// What the gateway stores after an upload of `image`.
ConfigurationImage AsSent(ConfigurationImage image) {
  StoreSignature(image);
  image.Fill(layout::general::kReservedHead, layout::kUnset);
  return image;
}

// Sections in three flash sectors, one ending on a page boundary, one with a
// tail that needs padding.
constexpr const char* kNewVersion = "1.3.0";
const std::vector<test::TestSection> kSections{
    {kSectionTypeApplication, 0x10000, test::FirmwareData(0x2400, kNewVersion)},
    {kSectionTypeOther, 0x203F0, test::FirmwareData(0x1013)},
    {kSectionTypeOther, 0x77F00, test::FirmwareData(0x100)},
};

// What an operation works on: how it starts, which notification (with which
// value) says it is done, and what the two sides hold afterwards.
struct Trip {
  Notification result;
  std::function<bool()> start;
  std::function<bool()> arrived;    // the receiving side holds exactly what was sent
  std::function<bool()> unchanged = [] { return true; };  // the gateway holds what it held before
  int done = kDone;
};

enum class Outcome {
  Done,                  // the result says done and the copy arrived
  Failed,                // a failure is reported and the gateway keeps what it had
  WrittenWithoutResult,  // the gateway took the image, the answer to the stop got lost
};

class RoundTrip;

struct TripRow {
  const char* name;
  Trip (*trip)(RoundTrip&);
  LinkType link;
  std::vector<Fault> faults = {};
  Outcome outcome = Outcome::Done;
  sim::GatewayIdentity identity = {};
  void (*before)(GatewayHarness&) = nullptr;  // runs after the operation's set-up, before the start
  // Once `when` holds, `then` runs: a cancel, a restart of the record store, a late fault.
  bool (*when)(GatewayHarness&) = nullptr;
  void (*then)(GatewayHarness&) = nullptr;
  const char* logged = nullptr;  // a line the communication log must show
};

class RoundTrip : public ::testing::TestWithParam<TripRow> {
 public:
  RoundTrip() : harness(GetParam().link, GetParam().identity) { OperationsOf(harness.engine).SetState(EngineState::Idle); }

  GatewayHarness harness;
  test::TempFolder folder;
  std::optional<test::TempFile> file;
  std::optional<CdrFile> records;
};

bool ReportsFailure(const test::EngineTestHost& host, const Trip& trip) {
  return host.CountOf(Notification::OperationFailed) > 0 || host.CountOf(Notification::NotAllowed) > 0 ||
         host.CountOf(Notification::RestartFailed) > 0 || host.CountOf(Notification::ResetRejected) > 0 ||
         host.CountOf(Notification::Reset) > host.CountOf(Notification::Reset, 0) ||
         host.CountOf(trip.result) > host.CountOf(trip.result, trip.done);
}

TEST_P(RoundTrip, EndsWithTheCopyArrivedOrAClearFailure) {
  const TripRow& row = GetParam();
  const Trip trip = row.trip(*this);
  if (row.before) row.before(harness);
  for (const Fault& fault : row.faults) harness.gateway.InjectFault(fault);
  ASSERT_TRUE(trip.start());
  if (row.when) {
    ASSERT_TRUE(harness.RunUntil([&] { return row.when(harness); }, kSettleTime));
    row.then(harness);
  }
  // Idle requests run in Idle: an operation has ended once nothing waits for an answer.
  ASSERT_TRUE(harness.RunUntil(
      [this] {
        return (harness.engine.state() == EngineState::Idle || harness.engine.state() == EngineState::Failed) &&
               !harness.host.TimerRunning();
      },
      kSettleTime));

  const bool done = harness.host.CountOf(trip.result, trip.done) > 0;
  const bool failed = ReportsFailure(harness.host, trip);
  const bool arrived = trip.arrived();
  if (done) {
    EXPECT_TRUE(arrived) << "a different copy reported as done";
  }
  if (!arrived) {
    EXPECT_TRUE(failed) << "silence over a different copy";
  }
  switch (row.outcome) {
    case Outcome::Done:
      EXPECT_TRUE(done);
      EXPECT_FALSE(failed);
      EXPECT_EQ(harness.engine.state(), EngineState::Idle);
      EXPECT_EQ(harness.gateway.Phase(), sim::GatewayPhase::Firmware);
      break;
    case Outcome::Failed:
      EXPECT_FALSE(done);
      EXPECT_TRUE(failed);
      EXPECT_TRUE(trip.unchanged());
      // A failed firmware update may have begun to replace the firmware; nothing else leaves the loader running.
      if (harness.gateway.Identity().hasValidFirmware && trip.result != Notification::FirmwareResult) {
        EXPECT_EQ(harness.gateway.Phase(), sim::GatewayPhase::Firmware) << "a failure never leaves the gateway in its loader";
      }
      break;
    case Outcome::WrittenWithoutResult:
      EXPECT_TRUE(arrived);
      EXPECT_FALSE(done);
      break;
  }
  if (row.logged) {
    EXPECT_TRUE(harness.host.Logged(row.logged)) << row.logged;
  }
  // An ended operation leaves no file open.
  EXPECT_FALSE(harness.engine.firmwareFile().IsOpen());
  EXPECT_FALSE(harness.engine.announcementFile().IsOpen());
  if (records) {
    EXPECT_FALSE(records->IsOpen());
  }
}

// ---- The operations ----

Trip Download(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  h.gateway.Configuration().Replace(AsSent(ChangedImage(h.gateway.Configuration().Stored())));
  const ConfigurationImage before = h.gateway.Configuration().Stored();
  return {Notification::DownloadResult, [&h] { return h.engine.StartDownload(); },
          [&h] { return h.engine.configTransfer().image() == h.gateway.Configuration().Stored(); },
          [&h, before] { return h.gateway.Configuration().Stored() == before; }};
}

Trip Upload(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  const ConfigurationImage before = h.gateway.Configuration().Stored();
  const ConfigurationImage changed = ChangedImage(before);
  h.engine.SetLoginPassword(h.gateway.Identity().password);
  return {Notification::UploadResult, [&h, changed] { return h.engine.StartUpload(changed); },
          [&h, changed] { return h.gateway.Configuration().Stored() == AsSent(changed); },
          [&h, before] { return h.gateway.Configuration().Stored() == before; }};
}

Trip Firmware(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  t.file.emplace(test::FirmwareFileBytes(kSections));
  EXPECT_TRUE(h.engine.firmwareFile().OpenFile(t.file->path()));
  EXPECT_EQ(h.engine.firmwareFile().Parse(), FirmwareParseResult::Ok);
  const std::string oldVersion = h.gateway.Identity().firmwareVersion;
  return {Notification::FirmwareResult, [&h] { return h.engine.StartFirmwareUpdate(); },
          [&h] {
            return h.gateway.FlashLoader().flash() ==
                       test::FlashImageOf(kSections, kFirmwareFlashWindow.start, kFirmwareFlashWindow.length) &&
                   h.engine.deviceInformation().system.firmwareVersion == kNewVersion;
          },
          [&h, oldVersion] {
            return h.gateway.FlashLoader().flash() ==
                       std::vector<std::uint8_t>(kFirmwareFlashWindow.length, kFlashPadByte) &&
                   h.gateway.Identity().firmwareVersion == oldVersion && h.gateway.Identity().hasValidFirmware;
          }};
}

// A restart that finds no firmware: the engine's own recovery starts the update.
Trip FirmwareAfterRestart(RoundTrip& t) {
  Trip trip = Firmware(t);
  trip.start = [&h = t.harness] { return h.engine.ResetDevice(); };
  return trip;
}

Trip Announcement(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  const std::vector<std::uint8_t> original = test::AlawWav(9000);  // 71 blocks, three sectors
  t.file.emplace(original);
  EXPECT_TRUE(h.engine.announcementFile().OpenFile(t.file->path()));
  EXPECT_EQ(h.engine.announcementFile().CheckWav(), WavCheck::Ok);
  const auto stored = [&h](AnnouncementKind kind) { return h.gateway.Announcements().Stored(kind); };
  return {Notification::AnnouncementResult,
          [&h] { return h.engine.StartAnnouncementUpdate(AnnouncementKind::Outgoing); },
          [stored, original] {
            return stored(AnnouncementKind::Outgoing) == original && stored(AnnouncementKind::Incoming).empty();
          },
          [stored] { return stored(AnnouncementKind::Outgoing).empty(); }};
}

// Into a real record file: every record the gateway made lands once, in store order.
Trip Cdr(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  h.settings.communicationTimeoutDataWrite = 3000;
  CdrTextLayout noHeader;
  noHeader.header = false;
  t.records.emplace(noHeader);
  const std::filesystem::path path = t.folder / "records.csv";
  EXPECT_TRUE(t.records->Open(path));
  EXPECT_TRUE(t.records->Start());
  return {Notification::CdrResult, [&h, &t] { return h.engine.StartCdrDownload(*t.records); },
          [&h, path] {
            std::string expected;
            for (const CdrRecord& record : h.gateway.CdrStore().Generated()) expected += CdrRecordLine(record, {}, ';');
            return test::ReadFileText(path) == expected && h.gateway.CdrStore().Remaining() == 0;
          },
          [&h] { return h.gateway.CdrStore().Remaining() == h.gateway.CdrStore().Generated().size(); }};
}

Trip Restart(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  return {Notification::FirmwareRunning, [&h] { return h.engine.ResetDevice(); },
          [&h] {
            const SystemInformation& system = h.engine.deviceInformation().system;
            const sim::GatewayIdentity& gateway = h.gateway.Identity();
            return h.gateway.RestartCount() == 2 && system.runMode == RunMode::Firmware &&
                   system.loaderVersion == gateway.loaderVersion &&
                   system.firmwareVersion == gateway.firmwareVersion && system.deviceName == gateway.deviceName;
          },
          [&h] { return h.gateway.RestartCount() == 0; }, 0};
}

// The system information chains into the LAN information; both are shown as the gateway has them.
Trip SystemInfo(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  return {Notification::LanInfoResult, [&h] { return h.engine.GetSystemInfo(); }, [&h] {
            const DeviceInformation& info = h.engine.deviceInformation();
            const sim::GatewayIdentity& gateway = h.gateway.Identity();
            return info.system.firmwareVersion == gateway.firmwareVersion &&
                   info.system.loaderVersion == gateway.loaderVersion && info.system.deviceName == gateway.deviceName &&
                   info.system.runMode == RunMode::Firmware && info.system.dataVersion == gateway.dataVersion &&
                   info.lan.ipAddress == "192.168.1.100" && info.lan.subnetMask == "255.255.255.0" &&
                   info.lan.defaultGateway == "192.168.1.1" && info.lan.tcpPort == 1002 && info.lan.dhcp == kDhcpOff;
          }};
}

// The check before a transfer asks for no LAN information.
Trip SystemInfoCheck(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  return {Notification::SystemInfoResult, [&h] { return h.engine.CheckSystemInfo(); },
          [&h] {
            return h.engine.deviceInformation().system.firmwareVersion == h.gateway.Identity().firmwareVersion &&
                   h.gateway.RequestCount(ie::LanInfo) == 0;
          }};
}

// The clock set, then read back with its synchronisation; the gateway knows no weekday and no milliseconds.
Trip SetTime(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  return {Notification::GetTimeResult, [&h] { return h.engine.SetDateTime({2025, 3, 5, 14, 15, 9, 26, 500}); },
          [&h] {
            const DeviceClock& clock = h.engine.deviceInformation().clock;
            return h.host.CountOf(Notification::SetTimeResult, kDone) == 1 &&
                   clock.time == DateTimeRecord{2025, 3, 0, 14, 15, 9, 26, 0} &&
                   clock.lastSync == LastSyncRecord{1, 14, 3, 2025};
          }};
}

// The window's handler of the system information may stop the LAN request that would follow.
Trip SystemInfoStoppedByTheWindow(RoundTrip& t) {
  Trip trip = SystemInfoCheck(t);
  trip.start = [&h = t.harness] {
    h.host.onNotify = [&h](const test::RecordedNotification& n) {
      if (n.code == Notification::SystemInfoResult && n.sync) h.engine.ClearPendingFlag(SystemInfoPending);
    };
    return h.engine.GetSystemInfo();
  };
  return trip;
}

template <const char* oldPassword>
Trip PasswordChange(RoundTrip& t) {
  GatewayHarness& h = t.harness;
  h.engine.SetLoginPassword("first");
  return {Notification::PasswordChangeResult, [&h] { return h.engine.ChangePassword("second", oldPassword); },
          [&h] { return h.gateway.Identity().password == "second"; },
          [&h] { return h.gateway.Identity().password == "first" && h.host.passwordQueries == 0; }};
}
constexpr char kRightPassword[] = "first";
constexpr char kWrongPassword[] = "third";

const sim::GatewayIdentity kWithoutFirmware{.password = "", .hasValidFirmware = false};
// The firmware has its loader write the configuration, and asks for a password.
const sim::GatewayIdentity kWritingInTheLoader{.password = "tusk", .restartForWrite = true};
const sim::GatewayIdentity kProtected{.password = "first"};

template <int count, std::uint32_t start>
void FillRecords(GatewayHarness& h) {
  h.gateway.CdrStore().Fill(count, start);
}

void GivesThePassword(GatewayHarness& h) { h.host.passwordAnswers = {"first"}; }
// A wrong login password, then the right one only at the third prompt: on the last try.
void GivesThePasswordLate(GatewayHarness& h) {
  h.engine.SetLoginPassword("wrong");
  h.host.passwordAnswers = {"wrong", "wrong", "first"};
}
void WrongLogin(GatewayHarness& h) { h.engine.SetLoginPassword("wrong"); }
bool Blocks(GatewayHarness& h, std::uint8_t element) { return h.gateway.RequestCount(element) >= 3; }

constexpr auto kSerial = LinkType::Serial;
constexpr auto kTcp = LinkType::Tcp;
using enum Outcome;

INSTANTIATE_TEST_SUITE_P(
    Transfer, RoundTrip,
    ::testing::Values(
        TripRow{.name = "DownloadReadReplyOfUnknownType", .trip = Download, .link = kTcp,
                .faults = {{FaultKind::BadType, ie::ConfigReadData, 0, 2}}, .logged = "Incorrect message structure!!!"},
        TripRow{"DownloadReadRepliesAlwaysCorrupted", Download, kSerial, {{FaultKind::CorruptChecksum, ie::ConfigReadData, 0, kEvery}}, Failed},
        TripRow{"DownloadPasswordGiven", Download, kSerial, {}, Done, kProtected, GivesThePassword},
        TripRow{"DownloadCancel", Download, kSerial, {}, Failed, {}, nullptr,
                [](GatewayHarness& h) { return Blocks(h, ie::ConfigReadData); },
                [](GatewayHarness& h) { h.engine.CancelDownload(); }},
        TripRow{"UploadThroughTheLoaderTcp", Upload, kTcp, {}, Done, kWritingInTheLoader},
        TripRow{"UploadThroughTheLoaderCancelledInTheBlocks", Upload, kSerial, {}, Failed, kWritingInTheLoader, nullptr,
                [](GatewayHarness& h) { return Blocks(h, ie::ConfigWriteData); },
                [](GatewayHarness& h) { h.engine.CancelUpload(); }},
        TripRow{"UploadThroughTheLoaderCancelledWhileItComesUp", Upload, kSerial, {}, Failed, kWritingInTheLoader, nullptr,
                [](GatewayHarness& h) { return h.engine.state() == EngineState::WriteWaitLoader; },
                [](GatewayHarness& h) { h.engine.CancelUpload(); }},
        TripRow{"UploadStartPasswordRefused", Upload, kSerial, {}, Failed, kProtected, WrongLogin},
        TripRow{"UploadBlockPasswordGiven", Upload, kSerial, {{FaultKind::Reject, ie::ConfigWriteData, cause::PasswordRequired, 1}}, Done, kProtected, GivesThePassword},
        TripRow{"UploadStartReplyDropped", Upload, kSerial, {{FaultKind::DropReply, ie::ConfigWriteStart, 0, 2}}},
        TripRow{"UploadBlocksAlwaysDropped", Upload, kSerial, {{FaultKind::DropReply, ie::ConfigWriteData, 0, kEvery}}, Failed},
        TripRow{"UploadStopAnswerCorruptedSerial", Upload, kSerial, {{FaultKind::CorruptChecksum, ie::ConfigWriteStop, 0, 1}}, WrittenWithoutResult},
        TripRow{"UploadStopAnswerCorruptedTcp", Upload, kTcp, {{FaultKind::CorruptChecksum, ie::ConfigWriteStop, 0, 1}}, WrittenWithoutResult},
        TripRow{"FirmwareRefusedBlock", Firmware, kTcp, {{FaultKind::Reject, ie::FlashData, 0x81, 2}}},
        TripRow{"FirmwareStartNeverAnswered", Firmware, kSerial, {{FaultKind::DropReply, ie::FlashStart, 0, kEvery}}, Failed},
        TripRow{"FirmwareBlocksNeverAnswered", Firmware, kTcp, {{FaultKind::DropReply, ie::FlashData, 0, kEvery}}, Failed},
        TripRow{"FirmwareStartAlwaysRefused", Firmware, kSerial, {{FaultKind::Reject, ie::FlashStart, 0x81, kEvery}}, Failed},
        TripRow{"FirmwareBlocksAlwaysRefused", Firmware, kSerial, {{FaultKind::Reject, ie::FlashData, 0x81, kEvery}}, Failed},
        TripRow{"FirmwareAfterARestartFindsNone", FirmwareAfterRestart, kSerial, {}, Done, kWithoutFirmware},
        TripRow{"AnnouncementStartNeverAnswered", Announcement, kSerial, {{FaultKind::DropReply, ie::AnnouncementStart, 0, kEvery}}, Failed},
        TripRow{"AnnouncementStopNeverAnswered", Announcement, kSerial, {{FaultKind::DropReply, ie::AnnouncementStop, 0, kEvery}}, Failed},
        // Announcements are never repeated after a refusal, but for a password given.
        TripRow{"AnnouncementStartRefusedOnce", Announcement, kSerial, {{FaultKind::Reject, ie::AnnouncementStart, 0x99, 1}}, Failed},
        TripRow{"AnnouncementBlockRefusedOnce", Announcement, kTcp, {{FaultKind::Reject, ie::AnnouncementData, 0x99, 1}}, Failed},
        TripRow{"AnnouncementNotAllowed", Announcement, kSerial, {{FaultKind::Reject, ie::AnnouncementStart, cause::NotAllowed, 1}}, Failed},
        TripRow{"AnnouncementPasswordGiven", Announcement, kSerial, {}, Done, kProtected, GivesThePassword},
        TripRow{"AnnouncementCancel", Announcement, kSerial, {}, Failed, {}, nullptr,
                [](GatewayHarness& h) { return Blocks(h, ie::AnnouncementData); },
                [](GatewayHarness& h) { h.engine.CancelAnnouncementUpdate(); }},
        TripRow{"CdrNone", Cdr, kTcp, {}, Done, {}, FillRecords<0, 0>, nullptr, nullptr, "No new CDR records"},
        TripRow{"CdrLostRequest", Cdr, kSerial, {{FaultKind::DropReply, ie::CdrData, 0, 1}}, Done, {}, FillRecords<10, 0x7FFF00>},
        TripRow{"CdrRestartInTheMiddle", Cdr, kSerial, {}, Done, {}, FillRecords<12, 0>,
                [](GatewayHarness& h) { return h.engine.cdrTransfer().chunks() > 0; },
                [](GatewayHarness& h) { h.gateway.CdrStore().RestartOnNextRequest(); }},
        TripRow{"CdrAlwaysRefused", Cdr, kTcp, {{FaultKind::Reject, ie::CdrData, 0x9C, kEvery}}, Failed, {}, FillRecords<5, 0>},
        TripRow{"CdrNeverAnswered", Cdr, kSerial, {{FaultKind::DropReply, ie::CdrData, 0, kEvery}}, Failed, {}, FillRecords<5, 0>},
        TripRow{"CdrCancel", Cdr, kSerial, {}, Failed, {}, FillRecords<12, 0>,
                [](GatewayHarness& h) { return h.gateway.RequestCount(ie::CdrData) > 0; },
                [](GatewayHarness& h) { h.engine.CancelCdr(); }},
        TripRow{"SystemInfoWithTheLanInfo", SystemInfo, kSerial, {}},
        TripRow{"SystemInfoCheck", SystemInfoCheck, kSerial, {}},
        TripRow{"SystemInfoStoppedByTheWindow", SystemInfoStoppedByTheWindow, kSerial, {}},
        TripRow{"SetTimeReadBack", SetTime, kSerial, {}, Done, {}, nullptr,
                [](GatewayHarness& h) { return h.host.CountOf(Notification::SetTimeResult) > 0; },
                [](GatewayHarness& h) { h.engine.GetDateTime(); }},
        TripRow{"PasswordChange", PasswordChange<kRightPassword>, kSerial, {}, Done, kProtected},
        // A wrong old password ends the change at once, without a login prompt.
        TripRow{"PasswordChangeWithAWrongOldOne", PasswordChange<kWrongPassword>, kSerial, {}, Failed, kProtected},
        TripRow{"RestartPasswordGivenOnTheLastTry", Restart, kSerial, {}, Done, kProtected, GivesThePasswordLate}),
    test::RowName<TripRow>);

// Monitoring asks who answers, then the output; command, poll and stop each reach the view.
TEST(AgainstGateway, MonitoringStartCommandPollAndStop) {
  GatewayHarness harness;
  test::RecordingMonitor view;
  harness.engine.SetMonitorSink(&view);
  for (const auto& start : std::vector<std::function<bool()>>{
           [&] { return harness.engine.StartMonitoring(); }, [&] { return harness.engine.SendMonitorCommand("isdn status"); },
           [&] { return harness.engine.PollMonitoring(); }, [&] { return harness.engine.StopMonitoring(); }}) {
    ASSERT_TRUE(start());
    harness.RunFor(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(view.calls, (std::vector<std::string>{"started", "output Monitor on - Sentarix 1.2.5", "answered",
                                                  "answered", "stopped"}));
  EXPECT_EQ(harness.host.SentElements(), (std::vector<std::uint8_t>{ie::LoaderVersion, ie::MonitorStart,
                                                                    ie::MonitorCommand, ie::MonitorPoll, ie::MonitorStop}));
  EXPECT_EQ(harness.host.CountOf(Notification::MonitorRequestSent), 4);  // the poll is not announced
  EXPECT_EQ(harness.host.CountOf(Notification::MonitorResult, kDone), 3);
  EXPECT_EQ(harness.host.notifications.size(), 7u);
  EXPECT_EQ(harness.engine.pending(), 0u);
  EXPECT_FALSE(harness.host.TimerRunning());
}

}  // namespace
}  // namespace tusko
