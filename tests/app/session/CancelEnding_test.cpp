// A cancelled firmware update on the gateway model: the gateway is brought back to its old firmware
// wherever its loader allows, and the one ending says where it is.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "app/session/CommandEnding.h"
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

using test::GatewayHarness;

// Long enough for three tries of every request and two restarts of the gateway.
constexpr std::chrono::seconds kSettleTime{120};

struct CancelRow {
  const char* name;
  LinkType link;
  bool (*when)(GatewayHarness&);  // the cancel goes out once this holds
  bool holdsFirmware = true;      // else the loader has none to start
  GatewayAfterCancel told = GatewayAfterCancel::Firmware;
  std::vector<sim::Fault> faults = {};
};

class CancelEnding : public ::testing::TestWithParam<CancelRow> {};

TEST_P(CancelEnding, BringsTheGatewayBackAndSaysWhereItIs) {
  const CancelRow& row = GetParam();
  sim::GatewayIdentity identity;
  identity.hasValidFirmware = row.holdsFirmware;
  GatewayHarness h(row.link, identity);
  OperationEngine& engine = h.engine;
  OperationsOf(engine).SetState(EngineState::Idle);
  const std::vector<std::uint8_t> flash = h.gateway.FlashLoader().flash();
  const test::TempFile file(test::FirmwareFileBytes(
      {{kSectionTypeApplication, kFirmwareFlashWindow.start, test::FirmwareData(0x2400, "1.3.0")}}));
  ASSERT_TRUE(engine.firmwareFile().OpenFile(file.path()));
  ASSERT_EQ(engine.firmwareFile().Parse(), FirmwareParseResult::Ok);
  ASSERT_TRUE(engine.StartFirmwareUpdate());
  for (const sim::Fault& fault : row.faults) h.gateway.InjectFault(fault);
  ASSERT_TRUE(h.RunUntil([&] { return row.when(h); }, kSettleTime));
  engine.CancelFirmwareUpdate();
  ASSERT_TRUE(h.RunUntil(
      [&] {
        const EngineState state = engine.state();
        return h.host.CountOf(Notification::FirmwareResult) > 0 &&
               (state == EngineState::Idle || state == EngineState::Failed) && !h.host.TimerRunning();
      },
      kSettleTime));

  const bool back = row.told == GatewayAfterCancel::Firmware;
  EXPECT_EQ(h.gateway.Phase(), back ? sim::GatewayPhase::Firmware : sim::GatewayPhase::Loader);
  EXPECT_EQ(h.gateway.FlashLoader().flash(), flash);
  EXPECT_EQ(h.gateway.Identity().firmwareVersion, identity.firmwareVersion);
  EXPECT_EQ(h.gateway.Identity().hasValidFirmware, row.holdsFirmware);
  // One ending, the cancel's: no failure of its own and no failed restart besides.
  EXPECT_EQ(h.host.CountOf(Notification::FirmwareResult), 1);
  EXPECT_EQ(h.host.CountOf(Notification::FirmwareResult, static_cast<int>(OperationResult::Cancelled)), 1);
  EXPECT_EQ(h.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(h.host.CountOf(Notification::RestartFailed), 0);
  EXPECT_EQ(engine.gatewayAfterCancel(), row.told);
  EXPECT_FALSE(engine.firmwareFile().IsOpen());
}

bool AtOnce(GatewayHarness&) { return true; }
bool LoaderAwaited(GatewayHarness& h) { return h.engine.state() == EngineState::FlashWaitLoader; }
bool MidTransfer(GatewayHarness& h) { return h.gateway.RequestCount(ie::FlashData) >= 5; }

INSTANTIATE_TEST_SUITE_P(
    Cancel, CancelEnding,
    ::testing::Values(
        // The firmware's Reset crosses the cancel.
        CancelRow{"AsItsStartGoesOut", LinkType::Tcp, AtOnce},
        CancelRow{"BeforeTheLoaderAnswered", LinkType::Tcp, LoaderAwaited},
        // The loader refuses to start a firmware it does not hold: it stays, and says so.
        CancelRow{"IntoALoaderWithoutFirmware", LinkType::Serial, MidTransfer, false, GatewayAfterCancel::Loader},
        CancelRow{"CancelNeverConfirmed", LinkType::Serial, MidTransfer, true, GatewayAfterCancel::Unknown,
                  {{sim::FaultKind::DropReply, ie::FlashCancel, 0, 100000}}}),
    test::RowName<CancelRow>);

}  // namespace
}  // namespace tusko
