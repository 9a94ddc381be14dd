// A cancelled write of the configuration, the firmware or an announcement,
// against the gateway model on virtual time over both links: the gateway is
// brought back to its firmware wherever the protocol allows, keeps what it
// had, and the cancel ends with one result whose message says where the
// gateway is, the same for the desktop and tuskoctl.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "app/session/CommandEnding.h"
#include "config/TextFields.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayFaults.h"
#include "support/FirmwareFiles.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

using sim::GatewayPhase;
using test::GatewayHarness;

// Long enough for three tries of every request and two restarts of the gateway.
constexpr std::chrono::seconds kSettleTime{120};
constexpr int kCancelled = static_cast<int>(OperationResult::Cancelled);
constexpr int kEvery = 100000;  // a fault that hits every request

enum class Work { ConfigWrite, Firmware, Announcement };

struct CancelRow {
  const char* name;
  Work work;
  LinkType link;
  bool (*when)(GatewayHarness&);  // the cancel goes out once this holds
  GatewayPhase endsIn = GatewayPhase::Firmware;
  GatewayAfterCancel told = GatewayAfterCancel::Firmware;
  const char* textKey = "strCancelledFirmwareRuns";
  sim::GatewayIdentity identity = {};
  std::vector<sim::Fault> faults = {};
};

// What a cancelled operation is: how it starts and is cancelled, what ends
// it, and whether the gateway still holds what it held before.
struct Cancellable {
  DeviceCommand command;
  Notification result;
  std::function<bool()> start;
  std::function<void()> cancel;
  std::function<bool()> kept;
};

class CancelEnding : public ::testing::TestWithParam<CancelRow> {
 public:
  CancelEnding() : h(GetParam().link, GetParam().identity) { OperationsOf(h.engine).SetState(EngineState::Idle); }

  Cancellable Prepare(Work work) {
    OperationEngine& engine = h.engine;
    switch (work) {
      case Work::ConfigWrite: {
        const ConfigurationImage before = h.gateway.Configuration().Stored();
        ConfigurationImage changed = before;
        WriteCountedText(changed, layout::general::kDeviceName, "Branch 7");
        return {DeviceCommand::WriteConfiguration, Notification::UploadResult,
                [&engine, changed] { return engine.StartUpload(changed); }, [&engine] { engine.CancelUpload(); },
                [this, before] { return h.gateway.Configuration().Stored() == before; }};
      }
      case Work::Firmware: {
        file.emplace(test::FirmwareFileBytes({{kSectionTypeApplication, kFirmwareFlashWindow.start,
                                               test::FirmwareData(0x2400, "1.3.0")}}));
        EXPECT_TRUE(engine.firmwareFile().OpenFile(file->path()));
        EXPECT_EQ(engine.firmwareFile().Parse(), FirmwareParseResult::Ok);
        const std::vector<std::uint8_t> flash = h.gateway.FlashLoader().flash();
        const sim::GatewayIdentity identity = h.gateway.Identity();
        return {DeviceCommand::WriteFirmware, Notification::FirmwareResult,
                [&engine] { return engine.StartFirmwareUpdate(); }, [&engine] { engine.CancelFirmwareUpdate(); },
                [this, flash, identity] {
                  return h.gateway.FlashLoader().flash() == flash &&
                         h.gateway.Identity().firmwareVersion == identity.firmwareVersion &&
                         h.gateway.Identity().hasValidFirmware == identity.hasValidFirmware;
                }};
      }
      case Work::Announcement:
        file.emplace(test::AlawWav(9000));
        EXPECT_TRUE(engine.announcementFile().OpenFile(file->path()));
        EXPECT_EQ(engine.announcementFile().CheckWav(), WavCheck::Ok);
        return {DeviceCommand::UpdateAnnouncement, Notification::AnnouncementResult,
                [&engine] { return engine.StartAnnouncementUpdate(AnnouncementKind::Outgoing); },
                [&engine] { engine.CancelAnnouncementUpdate(); },
                [this] { return h.gateway.Announcements().Stored(AnnouncementKind::Outgoing).empty(); }};
    }
    return {};
  }

  GatewayHarness h;
  std::optional<test::TempFile> file;
};

TEST_P(CancelEnding, BringsTheGatewayBackAndSaysWhereItIs) {
  const CancelRow& row = GetParam();
  const Cancellable work = Prepare(row.work);
  for (const sim::Fault& fault : row.faults) h.gateway.InjectFault(fault);
  ASSERT_TRUE(work.start());
  ASSERT_TRUE(h.RunUntil([&] { return row.when(h); }, kSettleTime));
  work.cancel();
  ASSERT_TRUE(h.RunUntil(
      [&] {
        const EngineState state = h.engine.state();
        return h.host.CountOf(work.result) > 0 && (state == EngineState::Idle || state == EngineState::Failed) &&
               !h.host.TimerRunning();
      },
      kSettleTime));

  EXPECT_EQ(h.gateway.Phase(), row.endsIn);
  EXPECT_TRUE(work.kept());
  // One ending, the cancel's: no failure of its own and no failed restart besides.
  EXPECT_EQ(h.host.CountOf(work.result), 1);
  EXPECT_EQ(h.host.CountOf(work.result, kCancelled), 1);
  EXPECT_EQ(h.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(h.host.CountOf(Notification::RestartFailed), 0);
  EXPECT_EQ(h.engine.gatewayAfterCancel(), row.told);
  const auto message = ResultMessage(work.command, kCancelled, h.engine.causeText(), h.engine.gatewayAfterCancel());
  ASSERT_TRUE(message);
  EXPECT_EQ(message->textKey, row.textKey);
  EXPECT_FALSE(h.engine.firmwareFile().IsOpen());
  EXPECT_FALSE(h.engine.announcementFile().IsOpen());
}

template <std::uint8_t kElement, int kCount>
bool Sent(GatewayHarness& h) {
  return h.gateway.RequestCount(kElement) >= kCount;
}

template <EngineState kState>
bool InState(GatewayHarness& h) {
  return h.engine.state() == kState;
}

bool AtOnce(GatewayHarness&) { return true; }

// A gateway that differs from the default one in one respect.
template <auto kField, bool kValue>
sim::GatewayIdentity GatewayWith() {
  sim::GatewayIdentity identity;
  identity.*kField = kValue;
  return identity;
}
// The firmware has its loader write the configuration.
const sim::GatewayIdentity kWritesInItsLoader = GatewayWith<&sim::GatewayIdentity::restartForWrite, true>();
const sim::GatewayIdentity kWithoutFirmware = GatewayWith<&sim::GatewayIdentity::hasValidFirmware, false>();

constexpr LinkType kSerial = LinkType::Serial;
constexpr LinkType kTcp = LinkType::Tcp;

INSTANTIATE_TEST_SUITE_P(
    Cancel, CancelEnding,
    ::testing::Values(
        CancelRow{"ConfigWriteInTheFirmware", Work::ConfigWrite, kSerial, Sent<ie::ConfigWriteData, 3>},
        CancelRow{"ConfigWriteInTheLoader", Work::ConfigWrite, kTcp, Sent<ie::ConfigWriteData, 3>,
                  GatewayPhase::Firmware, GatewayAfterCancel::Firmware, "strCancelledFirmwareRuns",
                  kWritesInItsLoader},
        CancelRow{"ConfigWriteWhileTheLoaderComesUp", Work::ConfigWrite, kSerial,
                  InState<EngineState::WriteWaitLoader>, GatewayPhase::Firmware, GatewayAfterCancel::Firmware,
                  "strCancelledFirmwareRuns", kWritesInItsLoader},
        CancelRow{"AnnouncementMidway", Work::Announcement, kTcp, Sent<ie::AnnouncementData, 3>},
        // The firmware's Reset crosses the cancel.
        CancelRow{"FirmwareAsItsStartGoesOut", Work::Firmware, kTcp, AtOnce},
        CancelRow{"FirmwareBeforeTheLoaderAnsweredTcp", Work::Firmware, kTcp, InState<EngineState::FlashWaitLoader>},
        CancelRow{"FirmwareBeforeTheLoaderAnsweredSerial", Work::Firmware, kSerial,
                  InState<EngineState::FlashWaitLoader>},
        CancelRow{"FirmwareMidTransferSerial", Work::Firmware, kSerial, Sent<ie::FlashData, 5>},
        CancelRow{"FirmwareMidTransferTcp", Work::Firmware, kTcp, Sent<ie::FlashData, 5>},
        // The loader refuses to start a firmware it does not hold: it stays, and says so.
        CancelRow{"FirmwareIntoALoaderWithoutFirmware", Work::Firmware, kSerial, Sent<ie::FlashData, 5>,
                  GatewayPhase::Loader, GatewayAfterCancel::Loader, "strCancelledInLoader", kWithoutFirmware},
        CancelRow{"FirmwareCancelNeverConfirmed", Work::Firmware, kSerial, Sent<ie::FlashData, 5>,
                  GatewayPhase::Loader, GatewayAfterCancel::Unknown, "strCancelledNoAnswer", {},
                  {{sim::FaultKind::DropReply, ie::FlashCancel, 0, kEvery}}}),
    test::RowName<CancelRow>);

}  // namespace
}  // namespace tusko
