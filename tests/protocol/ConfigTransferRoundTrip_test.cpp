// Configuration download and upload against the gateway model, in-process on
// virtual time, also under the model's faults: every run ends with equal
// images or a clear failure, never with a different image reported as done.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "config/ImageLayout.h"
#include "config/TextFields.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/ConfigTransferRules.h"
#include "protocol/engine/OperationEngine.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using std::chrono::seconds;
using test::GatewayHarness;

// Long enough for three tries of every request and a restart of the gateway.
constexpr seconds kSettleTime{90};

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

bool Failed(const test::EngineTestHost& host, Notification result) {
  return host.CountOf(Notification::OperationFailed) > 0 || host.CountOf(Notification::NotAllowed) > 0 ||
         host.CountOf(result) > host.CountOf(result, static_cast<int>(OperationResult::Done));
}

class RoundTrip : public ::testing::TestWithParam<LinkType> {};

TEST_P(RoundTrip, UploadedImageComesBackByDownload) {
  GatewayHarness harness(GetParam());
  const ConfigurationImage changed = ChangedImage(harness.gateway.Configuration().Stored());
  ASSERT_TRUE(harness.engine.StartUpload(changed));
  ASSERT_TRUE(harness.RunUntilEnded(kSettleTime));

  EXPECT_GE(harness.host.CountOf(Notification::UploadResult, 1), 1);
  EXPECT_EQ(harness.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(harness.engine.state(), EngineState::Idle);
  EXPECT_EQ(harness.gateway.Configuration().Stored(), AsSent(changed));
  EXPECT_EQ(harness.gateway.RestartCount(), 1);  // the firmware started afresh with it

  ASSERT_TRUE(harness.engine.StartDownload());
  ASSERT_TRUE(harness.RunUntilEnded(kSettleTime));
  EXPECT_EQ(harness.host.CountOf(Notification::DownloadResult, 1), 1);
  EXPECT_EQ(harness.engine.configTransfer().image(), AsSent(changed));
}

TEST_P(RoundTrip, UploadThroughTheLoader) {
  sim::GatewayIdentity identity;
  identity.restartForWrite = true;
  identity.password = "tusk";
  GatewayHarness harness(GetParam(), identity);
  harness.engine.SetLoginPassword("tusk");
  const ConfigurationImage changed = ChangedImage(harness.gateway.Configuration().Stored());
  ASSERT_TRUE(harness.engine.StartUpload(changed));
  ASSERT_TRUE(harness.RunUntilEnded(kSettleTime));

  EXPECT_GE(harness.host.CountOf(Notification::UploadResult, 1), 1);
  EXPECT_EQ(harness.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(harness.gateway.Configuration().Stored(), AsSent(changed));
  EXPECT_EQ(harness.gateway.RestartCount(), 2);  // into the loader, then the firmware
  EXPECT_EQ(harness.gateway.RequestCount(ie::SwitchToFirmware), 0);
  EXPECT_EQ(harness.gateway.Phase(), sim::GatewayPhase::Firmware);
  EXPECT_EQ(harness.engine.state(), EngineState::Idle);
}

INSTANTIATE_TEST_SUITE_P(Transfer, RoundTrip, ::testing::Values(LinkType::Serial, LinkType::Tcp),
                         [](const auto& row) { return row.param == LinkType::Serial ? "Serial" : "Tcp"; });

// ---- Under faults ----

enum class Direction { Download, Upload };
enum class Outcome {
  Done,                  // the result says done and the images are equal
  Failed,                // a failure is reported; the gateway keeps its image
  WrittenWithoutResult,  // the gateway took the image, the answer to the stop got lost
};

struct FaultRow {
  const char* name;
  Direction direction;
  sim::Fault fault;
  LinkType link;
  Outcome outcome;
};

constexpr int kEvery = 100000;  // a fault that hits every request

class RoundTripUnderFault : public ::testing::TestWithParam<FaultRow> {};

TEST_P(RoundTripUnderFault, EndsWithEqualImagesOrAClearFailure) {
  const FaultRow& row = GetParam();
  GatewayHarness harness(row.link);
  const ConfigurationImage original = harness.gateway.Configuration().Stored();
  harness.gateway.InjectFault(row.fault);
  const Notification result =
      row.direction == Direction::Download ? Notification::DownloadResult : Notification::UploadResult;

  const ConfigurationImage changed = ChangedImage(original);
  ASSERT_TRUE(row.direction == Direction::Download ? harness.engine.StartDownload()
                                                   : harness.engine.StartUpload(changed));
  ASSERT_TRUE(harness.RunUntilEnded(kSettleTime));

  const bool done = harness.host.CountOf(result, static_cast<int>(OperationResult::Done)) > 0;
  const ConfigurationImage& stored = harness.gateway.Configuration().Stored();
  const ConfigurationImage& wanted = row.direction == Direction::Download ? stored : AsSent(changed);
  const ConfigurationImage& got =
      row.direction == Direction::Download ? harness.engine.configTransfer().image() : stored;

  // Never a different image reported as done, never silence over a different image.
  if (done) {
    EXPECT_EQ(got, wanted);
  }
  if (got != wanted) {
    EXPECT_TRUE(Failed(harness.host, result));
  }
  // The gateway holds either its old image or the whole new one.
  EXPECT_TRUE(stored == original || stored == AsSent(changed));

  switch (row.outcome) {
    case Outcome::Done:
      EXPECT_TRUE(done);
      EXPECT_FALSE(Failed(harness.host, result));
      EXPECT_EQ(harness.engine.state(), EngineState::Idle);
      break;
    case Outcome::Failed:
      EXPECT_FALSE(done);
      EXPECT_TRUE(Failed(harness.host, result));
      EXPECT_EQ(stored, original);
      break;
    case Outcome::WrittenWithoutResult:
      EXPECT_EQ(stored, AsSent(changed));
      EXPECT_FALSE(done);
      break;
  }
}

using sim::Fault;
using sim::FaultKind;

INSTANTIATE_TEST_SUITE_P(
    Transfer, RoundTripUnderFault,
    ::testing::Values(
        FaultRow{"ReadReplyDropped", Direction::Download, Fault{FaultKind::DropReply, ie::ConfigReadData, 0, 1}, LinkType::Serial, Outcome::Done},
        FaultRow{"ReadRepliesCorrupted", Direction::Download, Fault{FaultKind::CorruptChecksum, ie::ConfigReadData, 0, 4}, LinkType::Serial, Outcome::Done},
        FaultRow{"ReadReplyOfUnknownType", Direction::Download, Fault{FaultKind::BadType, ie::ConfigReadData, 0, 2}, LinkType::Tcp, Outcome::Done},
        FaultRow{"ReadRepliesAlwaysCorrupted", Direction::Download, Fault{FaultKind::CorruptChecksum, ie::ConfigReadData, 0, kEvery}, LinkType::Serial, Outcome::Failed},
        FaultRow{"ReadAlwaysRefused", Direction::Download, Fault{FaultKind::Reject, ie::ConfigReadData, 0x01, kEvery}, LinkType::Serial, Outcome::Failed},
        FaultRow{"StartReplyDropped", Direction::Upload, Fault{FaultKind::DropReply, ie::ConfigWriteStart, 0, 2}, LinkType::Serial, Outcome::Done},
        FaultRow{"BlockReplyDropped", Direction::Upload, Fault{FaultKind::DropReply, ie::ConfigWriteData, 0, 1}, LinkType::Tcp, Outcome::Done},
        FaultRow{"BlockRepliesCorrupted", Direction::Upload, Fault{FaultKind::CorruptChecksum, ie::ConfigWriteData, 0, 6}, LinkType::Serial, Outcome::Done},
        FaultRow{"BlocksAlwaysDropped", Direction::Upload, Fault{FaultKind::DropReply, ie::ConfigWriteData, 0, kEvery}, LinkType::Serial, Outcome::Failed},
        FaultRow{"BlocksAlwaysRefused", Direction::Upload, Fault{FaultKind::Reject, ie::ConfigWriteData, 0x01, kEvery}, LinkType::Tcp, Outcome::Failed},
        FaultRow{"StopDropped", Direction::Upload, Fault{FaultKind::DropReply, ie::ConfigWriteStop, 0, 1}, LinkType::Serial, Outcome::Done},
        FaultRow{"StopAnswerCorruptedSerial", Direction::Upload, Fault{FaultKind::CorruptChecksum, ie::ConfigWriteStop, 0, 1}, LinkType::Serial, Outcome::WrittenWithoutResult},
        FaultRow{"StopAnswerCorruptedTcp", Direction::Upload, Fault{FaultKind::CorruptChecksum, ie::ConfigWriteStop, 0, 1}, LinkType::Tcp, Outcome::WrittenWithoutResult}),
    test::RowName<FaultRow>);

}  // namespace
}  // namespace tusko
