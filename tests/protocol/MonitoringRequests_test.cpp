// The monitoring controls and what the monitoring view is told: against the
// gateway model, and reply by reply on a scripted host.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "support/GatewayHarness.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using test::GatewayHarness;
using test::RecordedNotification;
using test::ReplyWith;
using test::TextElement;

constexpr int kDone = static_cast<int>(OperationResult::Done);

// A monitoring view that writes down what it is told.
class RecordingView : public MonitorSink {
 public:
  void monitoringStarted() override { calls.push_back("started"); }
  void monitoringStopped() override { calls.push_back("stopped"); }
  void gatewayAnswered() override { calls.push_back("answered"); }
  void monitorOutput(std::string_view text) override { calls.push_back("output " + std::string(text)); }
  bool isPaused() const override { return paused; }

  std::vector<std::string> calls;
  bool paused = false;
};

class MonitoringAgainstGateway : public ::testing::Test {
 protected:
  MonitoringAgainstGateway() { harness.engine.SetMonitorSink(&view); }

  GatewayHarness harness;
  RecordingView view;
};

TEST_F(MonitoringAgainstGateway, StartAsksWhoAnswersThenStartsTheOutput) {
  ASSERT_TRUE(harness.engine.StartMonitoring());
  harness.RunFor(milliseconds(100));

  EXPECT_EQ(harness.host.SentElements(), (std::vector<std::uint8_t>{ie::LoaderVersion, ie::MonitorStart}));
  EXPECT_EQ(harness.host.notifications, (std::vector<RecordedNotification>{
                                            {Notification::MonitorRequestSent, 0, false},
                                            {Notification::MonitorRequestSent, 0, false},
                                            {Notification::MonitorResult, kDone, false},
                                        }));
  EXPECT_EQ(view.calls, (std::vector<std::string>{"started", "output Monitor on - Sentarix 1.2.5"}));
  EXPECT_TRUE(harness.host.Logged("Get system info"));
  EXPECT_EQ(harness.engine.deviceInformation().system.firmwareVersion, "1.2.5");
  EXPECT_EQ(harness.engine.pending(), 0u);
  EXPECT_FALSE(harness.host.TimerRunning());
}

TEST_F(MonitoringAgainstGateway, CommandPollAndStop) {
  ASSERT_TRUE(harness.engine.StartMonitoring());
  harness.RunFor(milliseconds(100));
  view.calls.clear();
  harness.host.ClearRecords();

  ASSERT_TRUE(harness.engine.SendMonitorCommand("isdn status"));
  harness.RunFor(milliseconds(100));
  ASSERT_TRUE(harness.engine.PollMonitoring());
  harness.RunFor(milliseconds(100));
  ASSERT_TRUE(harness.engine.StopMonitoring());
  harness.RunFor(milliseconds(100));

  EXPECT_EQ(view.calls, (std::vector<std::string>{"answered", "answered", "stopped"}));
  EXPECT_EQ(harness.host.CountOf(Notification::MonitorRequestSent), 2);  // the poll is not announced
  EXPECT_EQ(harness.host.CountOf(Notification::MonitorResult, kDone), 2);
  EXPECT_EQ(harness.host.notifications.size(), 4u);
  EXPECT_EQ(harness.gateway.RequestCount(ie::MonitorPoll), 1);
  EXPECT_FALSE(harness.host.TimerRunning());
}

class MonitoringReplies : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  MonitoringReplies() {
    engine.SetState(EngineState::Idle);
    engine.SetMonitorSink(&view);
  }
  RecordingView view;
};

TEST_F(MonitoringReplies, RepeatAsksForTheVersionsUntilTheFirmwareIsKnown) {
  ASSERT_TRUE(engine.StartMonitoring());
  clock.Advance(milliseconds(settings.communicationTimeout));
  EXPECT_EQ(host.SentElements(), (std::vector<std::uint8_t>{ie::LoaderVersion, ie::LoaderVersion}));
  EXPECT_EQ(engine.retries(), 1);

  Receive(ReplyWith({TextElement(ie::FirmwareVersion, "1.2.5")}));
  EXPECT_EQ(host.SentElements().back(), ie::MonitorStart);
  EXPECT_EQ(engine.retries(), 1);  // reset, then counted as the start's repeat
  EXPECT_EQ(std::count(host.logLines.begin(), host.logLines.end(), "Get system info"), 2);
}

struct StopRow {
  const char* name;
  bool pending;
  bool paused;
  std::vector<std::string> calls;
  int results;
  friend void PrintTo(const StopRow& row, std::ostream* out) { *out << row.name; }
};

class MonitorStopTable : public MonitoringReplies, public ::testing::WithParamInterface<StopRow> {};

TEST_P(MonitorStopTable, TellsTheViewUnlessItIsPaused) {
  if (GetParam().pending) {
    ASSERT_TRUE(engine.StopMonitoring());
  }
  view.paused = GetParam().paused;
  Receive(ReplyWith({{ie::MonitorStop, {}}}));
  EXPECT_EQ(view.calls, GetParam().calls);
  EXPECT_EQ(host.CountOf(Notification::MonitorResult, kDone), GetParam().results);
  EXPECT_FALSE(engine.HasPending(MonitorStopPending));
}

INSTANTIATE_TEST_SUITE_P(Monitoring, MonitorStopTable,
                         ::testing::Values(StopRow{"Asked", true, false, {"stopped"}, 1},
                                           StopRow{"AskedWhilePaused", true, true, {}, 1},
                                           StopRow{"Unasked", false, false, {"stopped"}, 0}),
                         test::RowName<StopRow>);

TEST_F(MonitoringReplies, LongestCommandFitsBesideTheLongestPassword) {
  engine.SetLoginPassword(std::string(kLoginPasswordCapacity, 'p'));
  ASSERT_TRUE(engine.SendMonitorCommand(std::string(kMonitorCommandCapacity, 'c')));
  EXPECT_EQ(host.sent[0].message.ieLength(), kMaxIeAreaLength);
  EXPECT_FALSE(engine.SendMonitorCommand(std::string(kMonitorCommandCapacity + 1, 'c')));
  EXPECT_EQ(host.sent.size(), 1u);
}

}  // namespace
}  // namespace tusko
