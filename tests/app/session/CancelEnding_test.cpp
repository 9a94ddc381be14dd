// A cancelled write of the configuration or the firmware while the gateway's
// loader takes part, against the gateway model on virtual time: the gateway is
// brought back to its firmware wherever the protocol allows, keeps what it had,
// and the cancel ends with one result and says where the gateway is.
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

namespace tusko {
namespace {

using sim::GatewayPhase;
using test::GatewayHarness;

// Long enough for three tries of every request and two restarts of the gateway.
constexpr std::chrono::seconds kSettleTime{120};
constexpr int kCancelled = static_cast<int>(OperationResult::Cancelled);

struct CancelRow {
  const char* name;
  bool firmware;  // else a configuration write
  LinkType link;
  bool (*when)(GatewayHarness&);  // the cancel goes out once this holds
  sim::GatewayIdentity identity = {};
  GatewayAfterCancel told = GatewayAfterCancel::Firmware;
  std::vector<sim::Fault> faults = {};
};

class CancelEnding : public ::testing::TestWithParam<CancelRow> {
 public:
  CancelEnding() : h(GetParam().link, GetParam().identity) { OperationsOf(h.engine).SetState(EngineState::Idle); }

  GatewayHarness h;
  std::optional<test::TempFile> file;
};

TEST_P(CancelEnding, BringsTheGatewayBackAndSaysWhereItIs) {
  const CancelRow& row = GetParam();
  OperationEngine& engine = h.engine;
  const ConfigurationImage configuration = h.gateway.Configuration().Stored();
  const std::vector<std::uint8_t> flash = h.gateway.FlashLoader().flash();
  const sim::GatewayIdentity identity = h.gateway.Identity();
  const Notification result = row.firmware ? Notification::FirmwareResult : Notification::UploadResult;
  if (row.firmware) {
    file.emplace(test::FirmwareFileBytes({{kSectionTypeApplication, kFirmwareFlashWindow.start,
                                           test::FirmwareData(0x2400, "1.3.0")}}));
    ASSERT_TRUE(engine.firmwareFile().OpenFile(file->path()));
    ASSERT_EQ(engine.firmwareFile().Parse(), FirmwareParseResult::Ok);
    ASSERT_TRUE(engine.StartFirmwareUpdate());
  } else {
    ConfigurationImage changed = configuration;
    WriteCountedText(changed, layout::general::kDeviceName, "Branch 7");
    ASSERT_TRUE(engine.StartUpload(changed));
  }
  for (const sim::Fault& fault : row.faults) h.gateway.InjectFault(fault);
  ASSERT_TRUE(h.RunUntil([&] { return row.when(h); }, kSettleTime));
  row.firmware ? engine.CancelFirmwareUpdate() : engine.CancelUpload();
  ASSERT_TRUE(h.RunUntil(
      [&] {
        const EngineState state = engine.state();
        return h.host.CountOf(result) > 0 && (state == EngineState::Idle || state == EngineState::Failed) &&
               !h.host.TimerRunning();
      },
      kSettleTime));

  const bool back = row.told == GatewayAfterCancel::Firmware;
  EXPECT_EQ(h.gateway.Phase(), back ? GatewayPhase::Firmware : GatewayPhase::Loader);
  EXPECT_TRUE(h.gateway.Configuration().Stored() == configuration);
  EXPECT_EQ(h.gateway.FlashLoader().flash(), flash);
  EXPECT_EQ(h.gateway.Identity().firmwareVersion, identity.firmwareVersion);
  EXPECT_EQ(h.gateway.Identity().hasValidFirmware, identity.hasValidFirmware);
  // One ending, the cancel's: no failure of its own and no failed restart besides.
  EXPECT_EQ(h.host.CountOf(result), 1);
  EXPECT_EQ(h.host.CountOf(result, kCancelled), 1);
  EXPECT_EQ(h.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(h.host.CountOf(Notification::RestartFailed), 0);
  EXPECT_EQ(engine.gatewayAfterCancel(), row.told);
  EXPECT_FALSE(engine.firmwareFile().IsOpen());
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

constexpr LinkType kSerial = LinkType::Serial;
constexpr LinkType kTcp = LinkType::Tcp;
constexpr bool kFirmware = true;
constexpr bool kConfig = false;
// A firmware that has its loader write the configuration, or a loader without a valid firmware.
sim::GatewayIdentity Gateway(bool writesInItsLoader, bool holdsFirmware = true) {
  sim::GatewayIdentity identity;
  identity.restartForWrite = writesInItsLoader;
  identity.hasValidFirmware = holdsFirmware;
  return identity;
}

// A cancel in the firmware alone is the protocol's own case (its transfer and round-trip tests).
INSTANTIATE_TEST_SUITE_P(
    Cancel, CancelEnding,
    ::testing::Values(
        CancelRow{"ConfigWriteInTheLoader", kConfig, kTcp, Sent<ie::ConfigWriteData, 3>, Gateway(true)},
        CancelRow{"ConfigWriteWhileTheLoaderComesUp", kConfig, kSerial, InState<EngineState::WriteWaitLoader>,
                  Gateway(true)},
        // The firmware's Reset crosses the cancel.
        CancelRow{"FirmwareAsItsStartGoesOut", kFirmware, kTcp, AtOnce},
        CancelRow{"FirmwareBeforeTheLoaderAnswered", kFirmware, kTcp, InState<EngineState::FlashWaitLoader>},
        CancelRow{"FirmwareMidTransfer", kFirmware, kSerial, Sent<ie::FlashData, 5>},
        // The loader refuses to start a firmware it does not hold: it stays, and says so.
        CancelRow{"FirmwareIntoALoaderWithoutFirmware", kFirmware, kSerial, Sent<ie::FlashData, 5>,
                  Gateway(false, false), GatewayAfterCancel::Loader},
        CancelRow{"FirmwareCancelNeverConfirmed", kFirmware, kSerial, Sent<ie::FlashData, 5>, {},
                  GatewayAfterCancel::Unknown, {{sim::FaultKind::DropReply, ie::FlashCancel, 0, 100000}}}),
    test::RowName<CancelRow>);

}  // namespace
}  // namespace tusko
