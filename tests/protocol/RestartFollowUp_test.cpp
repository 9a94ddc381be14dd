// ResetDevice and the way back: reconnecting after the restart, the loader,
// the switch to the firmware, against a scripted host.
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

constexpr milliseconds kSerialPoll{1000};

struct ReconnectRow {
  const char* name;
  EngineState waiting;  // WaitLoader or WaitFirmware
  EngineState next;     // where the probe goes out from
};

class Reconnect : public ::testing::TestWithParam<ReconnectRow>, protected test::ScriptedEngine {
 protected:
  Reconnect() {
    host.link = LinkState::Closed;
    OperationsOf(engine).SetState(GetParam().waiting);
  }
};

TEST_P(Reconnect, SerialLinkIsAwaitedInOneSecondSteps) {
  host.type = LinkType::Serial;
  engine.OnTimer();
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_EQ(host.TimerDelay(), kSerialPoll);
    EXPECT_EQ(engine.state(), GetParam().waiting);
    clock.Advance(kSerialPoll);
  }
  EXPECT_TRUE(host.sent.empty());
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_EQ(host.reopens, 0);

  host.link = LinkState::Open;  // the gateway's USB device is back
  clock.Advance(kSerialPoll);
  EXPECT_EQ(engine.state(), GetParam().next);
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::LoaderVersion});
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
  EXPECT_EQ(host.CountOf(Notification::LinkClosed), 1);
}

TEST_P(Reconnect, TcpLinkIsReopenedAtOnce) {
  host.type = LinkType::Tcp;
  engine.OnTimer();
  EXPECT_EQ(host.reopens, 1);
  EXPECT_EQ(engine.state(), GetParam().next);
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::LoaderVersion});
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
}

// A probe sent while the connection is still being made would be lost and use up a try.
TEST_P(Reconnect, TcpConnectionUnderWayIsAwaitedBeforeTheFirstProbe) {
  host.type = LinkType::Tcp;
  host.openLink = [this] {
    host.link = LinkState::Connecting;
    return false;
  };
  engine.OnTimer();
  EXPECT_EQ(host.reopens, 1);
  EXPECT_EQ(engine.state(), GetParam().waiting);
  EXPECT_TRUE(host.sent.empty());

  host.link = LinkState::Open;
  clock.Advance(*host.TimerDelay());
  EXPECT_EQ(host.reopens, 1);
  EXPECT_EQ(engine.state(), GetParam().next);
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::LoaderVersion});
  EXPECT_EQ(engine.retries(), 0);  // a first try, with both repeats to come
}

INSTANTIATE_TEST_SUITE_P(Restart, Reconnect,
                         ::testing::Values(ReconnectRow{"ToTheLoader", EngineState::WaitLoader, EngineState::InLoader},
                                           ReconnectRow{"ToTheFirmware", EngineState::WaitFirmware, EngineState::WaitFirmwareInfo}),
                         test::RowName<ReconnectRow>);

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

TEST_F(ScriptedRestart, SwitchAcknowledgedClosesTheLinkAndWaits) {
  OperationsOf(engine).SetRetries(1);
  Receive(ReplyWith({{ie::SwitchToFirmware, {}}}));
  EXPECT_EQ(engine.state(), EngineState::WaitFirmware);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(host.link, LinkState::Closed);
  EXPECT_EQ(host.CountOf(Notification::LinkClosed), 1);
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeoutSwitchToFirmware));
}

TEST_F(ScriptedRestart, FirmwareAnswerEndsTheRestartWithItsVersions) {
  OperationsOf(engine).SetState(EngineState::WaitFirmwareInfo);
  OperationsOf(engine).SetPending(static_cast<PendingRequest>(LanInfoPending | SwitchToFirmwareSent));
  OperationsOf(engine).SetRetries(1);
  Receive(ReplyWith({test::TextElement(ie::LoaderVersion, "0.9"), test::TextElement(ie::FirmwareVersion, "1.2.3"),
                     {ie::RunMode, {kRunModeFirmware, kDataVersionMarker, 0, 4, 3, 2, 1}}}));
  EXPECT_EQ(engine.state(), EngineState::Idle);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(engine.pending(), static_cast<std::uint32_t>(SwitchToFirmwareSent));
  EXPECT_EQ(host.CountOf(Notification::FirmwareRunning, 0), 1);
  const SystemInformation& system = engine.deviceInformation().system;
  EXPECT_EQ(system.firmwareVersion, "1.2.3");
  EXPECT_EQ(system.runMode, RunMode::Firmware);
  EXPECT_EQ(system.dataVersion, 0x01020304u);
  EXPECT_TRUE(host.Logged("Firmware version: 1.2.3"));
}

}  // namespace
}  // namespace tusko
