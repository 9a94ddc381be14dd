// The firmware update against the gateway model, in-process on virtual time:
// the loader's flash ends up holding exactly the file's sections and the
// engine comes back to Idle with the new firmware.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayFlashLoader.h"
#include "support/FirmwareFiles.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/TempFolder.h"

namespace tusko {
namespace {

using std::chrono::seconds;
using test::FirmwareData;
using test::GatewayHarness;
using test::TestSection;

// Long enough for three tries of every request and two restarts of the gateway.
constexpr seconds kSettleTime{120};
constexpr const char* kNewVersion = "1.3.0";

// Sections in three flash sectors, one ending on a page boundary, one with a
// tail that needs padding.
const std::vector<TestSection> kSections{
    {kSectionTypeApplication, 0x10000, FirmwareData(0x2400, kNewVersion)},
    {kSectionTypeOther, 0x203F0, FirmwareData(0x1013)},
    {kSectionTypeOther, 0x77F00, FirmwareData(0x100)},
};

sim::GatewayIdentity WithoutFirmware() {
  sim::GatewayIdentity identity;
  identity.hasValidFirmware = false;
  return identity;
}

enum class Begin { Update, ResetIntoEmptyLoader };

struct RoundTripRow {
  const char* name;
  LinkType link;
  bool validFirmware;
  Begin begin;
  std::optional<sim::Fault> fault;
};

class FirmwareRoundTrip : public testing::TestWithParam<RoundTripRow> {};

TEST_P(FirmwareRoundTrip, FlashHoldsTheFileAndTheNewFirmwareRuns) {
  const RoundTripRow& row = GetParam();
  GatewayHarness harness(row.link, row.validFirmware ? sim::GatewayIdentity{} : WithoutFirmware());
  OperationsOf(harness.engine).SetState(EngineState::Idle);
  if (row.fault) harness.gateway.InjectFault(*row.fault);
  test::TempFile stored(test::FirmwareFileBytes(kSections));
  FirmwareFile& file = harness.engine.firmwareFile();
  ASSERT_TRUE(file.OpenFile(stored.path()));
  ASSERT_EQ(file.Parse(), FirmwareParseResult::Ok);

  if (row.begin == Begin::Update) {
    ASSERT_TRUE(harness.engine.StartFirmwareUpdate());
  } else {
    ASSERT_TRUE(harness.engine.ResetDevice());
  }
  ASSERT_TRUE(harness.RunUntilEnded(kSettleTime));

  // Without firmware the engine's own recovery starts the update.
  EXPECT_EQ(harness.host.CountOf(Notification::NoFirmware) > 0, row.begin == Begin::ResetIntoEmptyLoader);
  EXPECT_EQ(harness.host.CountOf(Notification::FirmwareResult), 1);
  EXPECT_EQ(harness.host.CountOf(Notification::FirmwareResult, 1), 1);
  EXPECT_EQ(harness.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(harness.engine.state(), EngineState::Idle);
  EXPECT_EQ(harness.engine.deviceInformation().system.firmwareVersion, kNewVersion);
  EXPECT_EQ(harness.engine.deviceInformation().system.runMode, RunMode::Firmware);
  EXPECT_EQ(harness.gateway.Phase(), sim::GatewayPhase::Firmware);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_TRUE(harness.gateway.FlashLoader().flash() ==
              test::FlashImageOf(kSections, kFirmwareFlashWindow.start, kFirmwareFlashWindow.length));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FirmwareRoundTrip,
    testing::Values(
        RoundTripRow{"Serial", LinkType::Serial, true, Begin::Update, {}},
        RoundTripRow{"Tcp", LinkType::Tcp, true, Begin::Update, {}},
        RoundTripRow{"DroppedBlockReply", LinkType::Serial, true, Begin::Update,
                     sim::Fault{sim::FaultKind::DropReply, ie::FlashData, 0, 1}},
        RoundTripRow{"RefusedBlock", LinkType::Tcp, true, Begin::Update,
                     sim::Fault{sim::FaultKind::Reject, ie::FlashData, 0x81, 2}},
        RoundTripRow{"LoaderWithoutFirmware", LinkType::Serial, false, Begin::Update, {}},
        RoundTripRow{"RestartFindsNoFirmware", LinkType::Serial, false, Begin::ResetIntoEmptyLoader, {}}),
    test::RowName<RoundTripRow>);

TEST(FirmwareRoundTrip, CancelKeepsTheOldFirmware) {
  GatewayHarness harness(LinkType::Serial);
  OperationsOf(harness.engine).SetState(EngineState::Idle);
  test::TempFile stored(test::FirmwareFileBytes(kSections));
  ASSERT_TRUE(harness.engine.firmwareFile().OpenFile(stored.path()));
  ASSERT_EQ(harness.engine.firmwareFile().Parse(), FirmwareParseResult::Ok);
  const std::string oldVersion = harness.gateway.Identity().firmwareVersion;

  ASSERT_TRUE(harness.engine.StartFirmwareUpdate());
  ASSERT_TRUE(harness.RunUntil([&] { return harness.gateway.RequestCount(ie::FlashData) >= 5; }, kSettleTime));
  harness.engine.CancelFirmwareUpdate();
  ASSERT_TRUE(harness.RunUntilEnded(kSettleTime));

  EXPECT_EQ(harness.host.CountOf(Notification::FirmwareResult, 4), 1);
  EXPECT_EQ(harness.engine.state(), EngineState::Idle);
  EXPECT_EQ(harness.gateway.Identity().firmwareVersion, oldVersion);
  EXPECT_TRUE(harness.gateway.Identity().hasValidFirmware);
  EXPECT_EQ(harness.gateway.FlashLoader().flash(),
            std::vector<std::uint8_t>(kFirmwareFlashWindow.length, kFlashPadByte));
}

}  // namespace
}  // namespace tusko
