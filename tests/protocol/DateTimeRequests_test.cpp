// Reading and setting the gateway's clock: against the gateway model, and
// reply by reply on a scripted host.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using test::GatewayHarness;
using test::RecordedNotification;
using test::ReplyWith;

constexpr int kDone = static_cast<int>(OperationResult::Done);

// 14 March 2025, 15:09:26 (a Friday, which the gateway is not told).
constexpr DateTimeRecord kPiDay{2025, 3, 5, 14, 15, 9, 26, 500};

std::vector<std::uint8_t> DateTimeData(const DeviceMessage& message) {
  const auto element = FindElement(message, ie::DateTime);
  if (!element) return {};
  return {element->data.begin(), element->data.end()};
}

// ---- Against the gateway model ----

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

// ---- Requests and replies on a scripted host ----

class DateTimeReplies : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  DateTimeReplies() { engine.SetState(EngineState::Idle); }
};

TEST_F(DateTimeReplies, BothRequestsCarryTheLoginPassword) {
  engine.SetLoginPassword("pw");
  ASSERT_TRUE(engine.GetDateTime());
  ASSERT_TRUE(engine.SetDateTime(kPiDay));
  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_TRUE(DateTimeData(host.sent[0].message).empty());
  EXPECT_EQ(DateTimeData(host.sent[1].message), (std::vector<std::uint8_t>{26, 9, 15, 14, 3, 25}));
  for (const auto& sent : host.sent) {
    const auto password = FindElement(sent.message, ie::Password);
    ASSERT_TRUE(password.has_value());
    EXPECT_EQ(ElementText(*password, kLoginPasswordCapacity), "pw");
  }
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
}

TEST_F(DateTimeReplies, ShortDateTimeLeavesTheClockZeroButSucceeds) {
  engine.deviceInformation().clock.time = kPiDay;
  ASSERT_TRUE(engine.GetDateTime());
  Receive(ReplyWith({{ie::DateTime, {1, 2, 3, 4, 5}}}));
  EXPECT_EQ(engine.deviceInformation().clock, DeviceClock{});
  EXPECT_EQ(host.CountOf(Notification::GetTimeResult, kDone), 1);
  EXPECT_FALSE(engine.HasPending(GetTimePending));
  EXPECT_FALSE(host.TimerRunning());
}

struct BadRecordRow {
  const char* name;
  DateTimeRecord time;
  friend void PrintTo(const BadRecordRow& row, std::ostream* out) { *out << row.name; }
};

class UnsettableRecords : public DateTimeReplies, public ::testing::WithParamInterface<BadRecordRow> {};

TEST_P(UnsettableRecords, AreRefusedBeforeAnythingIsSent) {
  EXPECT_FALSE(engine.SetDateTime(GetParam().time));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.linkQueries, 0);
  EXPECT_FALSE(engine.HasPending(SetTimePending));
}

INSTANTIATE_TEST_SUITE_P(DateTime, UnsettableRecords,
                         ::testing::Values(BadRecordRow{"Month13", {2025, 13, 0, 1, 0, 0, 0, 0}},
                                           BadRecordRow{"February30", {2025, 2, 0, 30, 0, 0, 0, 0}},
                                           BadRecordRow{"February29NotLeap", {2025, 2, 0, 29, 0, 0, 0, 0}},
                                           BadRecordRow{"Hour24", {2025, 1, 0, 1, 24, 0, 0, 0}},
                                           BadRecordRow{"Second60", {2025, 1, 0, 1, 0, 0, 60, 0}},
                                           BadRecordRow{"Before2000", {1999, 12, 0, 31, 0, 0, 0, 0}},
                                           BadRecordRow{"After2255", {2256, 1, 0, 1, 0, 0, 0, 0}},
                                           BadRecordRow{"AllZero", {}}),
                         test::RowName<BadRecordRow>);

TEST_F(DateTimeReplies, EdgesOfTheOneByteYearAreSettable) {
  ASSERT_TRUE(engine.SetDateTime({2000, 1, 0, 1, 0, 0, 0, 0}));
  ASSERT_TRUE(engine.SetDateTime({2255, 12, 0, 31, 23, 59, 59, 999}));
  EXPECT_EQ(DateTimeData(host.sent[0].message), (std::vector<std::uint8_t>{0, 0, 0, 1, 1, 0}));
  EXPECT_EQ(DateTimeData(host.sent[1].message), (std::vector<std::uint8_t>{59, 59, 23, 31, 12, 255}));
}

}  // namespace
}  // namespace tusko
