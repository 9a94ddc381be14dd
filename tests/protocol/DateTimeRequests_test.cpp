// Reading and setting the gateway's clock (what the requests send: IdleRefusals_test).
#include <gtest/gtest.h>

#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "support/GatewayHarness.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::GatewayHarness;
using test::RecordedNotification;
using test::ReplyWith;

constexpr int kDone = static_cast<int>(OperationResult::Done);

// 14 March 2025, 15:09:26 (a Friday, which the gateway is not told).
constexpr DateTimeRecord kPiDay{2025, 3, 5, 14, 15, 9, 26, 500};

TEST(DateTimeAgainstGateway, SetThenGetReadsTheSetTimeAndItsSynchronisation) {
  GatewayHarness harness;
  ASSERT_TRUE(harness.engine.SetDateTime(kPiDay));
  harness.RunFor(milliseconds(100));
  ASSERT_TRUE(harness.engine.GetDateTime());
  harness.RunFor(milliseconds(100));

  EXPECT_EQ(harness.host.notifications, (std::vector<RecordedNotification>{
                                            {Notification::SetTimeRequested, 0, false},
                                            {Notification::SetTimeResult, kDone, false},
                                            {Notification::GetTimeRequested, 0, false},
                                            {Notification::GetTimeResult, kDone, false},
                                        }));
  EXPECT_TRUE(harness.host.Logged("Set date/time"));
  EXPECT_TRUE(harness.host.Logged("Get date/time"));
  const DeviceClock& clock = harness.engine.deviceInformation().clock;
  // The gateway knows no weekday and no milliseconds.
  EXPECT_EQ(clock.time, (DateTimeRecord{2025, 3, 0, 14, 15, 9, 26, 0}));
  EXPECT_EQ(clock.lastSync, (LastSyncRecord{1, 14, 3, 2025}));
  EXPECT_EQ(harness.engine.pending(), 0u);
  EXPECT_FALSE(harness.host.TimerRunning());
}

TEST(DateTimeAgainstGateway, NeverSetClockReportsNoSynchronisationYear) {
  GatewayHarness harness;
  ASSERT_TRUE(harness.engine.GetDateTime());
  harness.RunFor(milliseconds(100));
  const DeviceClock& clock = harness.engine.deviceInformation().clock;
  EXPECT_EQ(clock.time.year, 2024);
  EXPECT_EQ(clock.lastSync.reported, 1);
  EXPECT_EQ(clock.lastSync.year, 0);
}

class DateTimeReplies : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  DateTimeReplies() { engine.SetState(EngineState::Idle); }
};

TEST_F(DateTimeReplies, ShortDateTimeLeavesTheClockZeroButSucceeds) {
  engine.deviceInformation().clock.time = kPiDay;
  ASSERT_TRUE(engine.GetDateTime());
  Receive(ReplyWith({{ie::DateTime, {1, 2, 3, 4, 5}}}));
  EXPECT_EQ(engine.deviceInformation().clock, DeviceClock{});
  EXPECT_EQ(host.CountOf(Notification::GetTimeResult, kDone), 1);
  EXPECT_FALSE(engine.HasPending(GetTimePending));
  EXPECT_FALSE(host.TimerRunning());
}

}  // namespace
}  // namespace tusko
