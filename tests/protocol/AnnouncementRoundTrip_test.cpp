// The announcement update against the gateway model, in-process on virtual
// time, also under the model's faults: the gateway ends up with the file as
// it is on disk, or the update reports that it failed.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayFaults.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/TempFolder.h"
#include "support/TestWavFile.h"

namespace tusko {
namespace {

using std::chrono::seconds;

// Long enough for every block with three tries and the gateway's erasing.
constexpr seconds kSettleTime{120};

struct RoundTripRow {
  const char* name;
  LinkType link;
  std::vector<sim::Fault> faults;
  int erasingAnswers = 1;
  bool withFact = true;
};

class AnnouncementRoundTrip : public ::testing::TestWithParam<RoundTripRow> {};

// Checks the file as the command does, starts the update and lets it run out.
void RunUpdate(test::GatewayHarness& harness, const test::TempFile& file, AnnouncementKind kind) {
  AnnouncementFile& wav = harness.engine.announcementFile();
  ASSERT_TRUE(wav.OpenFile(file.path()));
  ASSERT_EQ(wav.CheckWav(), WavCheck::Ok);
  ASSERT_TRUE(harness.engine.StartAnnouncementUpdate(kind));
  ASSERT_TRUE(harness.RunUntilEnded(kSettleTime));
}

TEST_P(AnnouncementRoundTrip, GatewayStoresTheFileAsItIs) {
  test::GatewayHarness harness(GetParam().link);
  harness.gateway.Announcements().SetErasingAnswers(GetParam().erasingAnswers);
  for (const sim::Fault& fault : GetParam().faults) harness.gateway.InjectFault(fault);
  const std::vector<std::uint8_t> original = test::AlawWav(9000, GetParam().withFact);  // 71 blocks, three sectors
  const test::TempFile file(original);
  RunUpdate(harness, file, AnnouncementKind::Outgoing);

  EXPECT_EQ(harness.host.CountOf(Notification::AnnouncementResult), 1);
  EXPECT_EQ(harness.host.CountOf(Notification::AnnouncementResult, 1), 1);
  EXPECT_EQ(harness.host.CountOf(Notification::OperationFailed), 0);
  EXPECT_EQ(harness.engine.state(), EngineState::Idle);
  EXPECT_FALSE(harness.engine.announcementFile().IsOpen());
  EXPECT_EQ(harness.gateway.Announcements().Stored(AnnouncementKind::Outgoing), original);
  EXPECT_TRUE(harness.gateway.Announcements().Stored(AnnouncementKind::Incoming).empty());
  EXPECT_EQ(harness.gateway.Announcements().ErasingAnswered(), 3 * GetParam().erasingAnswers);
}

INSTANTIATE_TEST_SUITE_P(
    AnnouncementUpdate, AnnouncementRoundTrip,
    ::testing::Values(RoundTripRow{"serial", LinkType::Serial, {}},
                      RoundTripRow{"tcp_without_fact_chunk", LinkType::Tcp, {}, 1, false},
                      RoundTripRow{"long_erasing", LinkType::Serial, {}, 3},
                      RoundTripRow{"lost_block_answer", LinkType::Tcp,
                                   {{sim::FaultKind::DropReply, ie::AnnouncementData, 0, 2}}},
                      RoundTripRow{"lost_start_and_stop_answers", LinkType::Serial,
                                   {{sim::FaultKind::DropReply, ie::AnnouncementStart, 0, 1},
                                    {sim::FaultKind::CorruptChecksum, ie::AnnouncementStop, 0, 1}}}),
    test::RowName<RoundTripRow>);

TEST(AnnouncementRoundTripFailure, GatewayThatNeverAnswersEndsInFailureWithTheFileClosed) {
  test::GatewayHarness harness;
  harness.gateway.InjectFault({sim::FaultKind::DropReply, ie::AnnouncementData, 0, 1000});
  const test::TempFile file(test::AlawWav(500));
  RunUpdate(harness, file, AnnouncementKind::MusicOnHold);

  EXPECT_EQ(harness.host.CountOf(Notification::OperationFailed), 1);
  EXPECT_EQ(harness.host.CountOf(Notification::AnnouncementResult), 0);
  EXPECT_FALSE(harness.engine.announcementFile().IsOpen());
  EXPECT_TRUE(harness.gateway.Announcements().Stored(AnnouncementKind::MusicOnHold).empty());
}

}  // namespace
}  // namespace tusko
