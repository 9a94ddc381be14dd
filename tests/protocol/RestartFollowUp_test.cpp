// A gateway that never comes back after a restart, and the loader's answer, on
// a scripted host (the restarts that come back: RoundTrip_test).
#include <gtest/gtest.h>

#include <vector>

#include "protocol/engine/OperationEngine.h"
#include "support/RowName.h"
#include "support/ScriptedEngine.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using test::RecordedNotification;
using test::ReplyWith;

struct NeverBackRow {
  const char* name;
  EngineState waiting;
  LinkType link;
  Notification failure;
};

class LinkNeverBack : public ::testing::TestWithParam<NeverBackRow>, protected test::ScriptedEngine {
 protected:
  LinkNeverBack() {
    host.type = GetParam().link;
    host.link = LinkState::Closed;
    host.openLink = [] { return false; };  // a serial port that stays away, a TCP connection refused
    OperationsOf(engine).SetState(GetParam().waiting);
  }
};

TEST_P(LinkNeverBack, EndsTheOperationAfterTheSwitchToFirmwareTimeout) {
  const milliseconds bound{settings.communicationTimeoutSwitchToFirmware};
  engine.OnTimer();  // the switch time-out: the first look for the link
  clock.Advance(bound - milliseconds(1));
  EXPECT_EQ(host.notifications, std::vector<RecordedNotification>{});
  EXPECT_TRUE(host.sent.empty());

  clock.Advance(milliseconds(1));
  EXPECT_EQ(host.notifications, (std::vector<RecordedNotification>{{GetParam().failure, 0, false}}));
  EXPECT_EQ(engine.state(), EngineState::Failed);
  EXPECT_FALSE(host.TimerRunning());

  host.ClearRecords();
  clock.Advance(seconds(60));
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(host.reopens, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Restart, LinkNeverBack,
    ::testing::Values(
        NeverBackRow{"SerialToTheLoader", EngineState::WaitLoader, LinkType::Serial, Notification::RestartFailed},
        NeverBackRow{"SerialToTheFirmware", EngineState::WaitFirmware, LinkType::Serial, Notification::RestartFailed},
        NeverBackRow{"TcpToTheFirmware", EngineState::WaitFirmware, LinkType::Tcp, Notification::RestartFailed},
        NeverBackRow{"SerialForTheFirmwareUpdate", EngineState::FlashWaitLoader, LinkType::Serial, Notification::OperationFailed},
        NeverBackRow{"SerialForTheUpload", EngineState::WriteWaitLoader, LinkType::Serial, Notification::OperationFailed},
        NeverBackRow{"SerialAfterTheUpload", EngineState::WriteWaitFirmware, LinkType::Serial, Notification::OperationFailed}),
    test::RowName<NeverBackRow>);

class ScriptedRestart : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  ScriptedRestart() { OperationsOf(engine).SetState(EngineState::InLoader); }
};

TEST_F(ScriptedRestart, LoaderAnswerLeadsToSwitchToFirmwareOnce) {
  Receive(ReplyWith({test::TextElement(ie::LoaderVersion, "0.9")}));
  Receive(ReplyWith({test::TextElement(ie::LoaderVersion, "0.9")}));
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::SwitchToFirmware});
  EXPECT_TRUE(engine.HasPending(SwitchToFirmwareSent));
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
}

}  // namespace
}  // namespace tusko
