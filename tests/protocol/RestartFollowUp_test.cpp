// ResetDevice and the way back through the loader, and the restarts into the
// loader that the firmware update and the upload ask for, against a scripted host.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "protocol/TransferScript.h"
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
using Setting = std::uint32_t EngineSettings::*;

// How the gateway's end comes back: the loader announces itself, the serial
// port returns after a while, a TCP connection is made again at once, or one is under way.
enum class Back { LoaderEvent, SerialPort, TcpAtOnce, TcpConnecting };

class Restarts;

struct BackRow {
  const char* name;
  void (*enter)(Restarts&);  // the gateway answers that it restarts
  EngineState waiting;
  Setting waitTimeout;
  Back back;
  EngineState next;
  std::uint8_t first;  // the request sent once the gateway is back
  Setting nextTimeout;
};

class Restarts : public ::testing::TestWithParam<BackRow>, public test::ScriptedEngine {
 public:
  Restarts() { OperationsOf(engine).SetState(EngineState::Idle); }
  milliseconds Ms(Setting setting) const { return milliseconds(settings.*setting); }
  std::unique_ptr<test::TempFile> firmware;
};

TEST_P(Restarts, ClosesTheLinkWaitsAndGoesOnOnceTheGatewayIsBack) {
  const BackRow& row = GetParam();
  host.type = row.back == Back::LoaderEvent || row.back == Back::SerialPort ? LinkType::Serial : LinkType::Tcp;
  row.enter(*this);
  EXPECT_EQ(engine.state(), row.waiting);
  EXPECT_EQ(host.link, LinkState::Closed);
  EXPECT_EQ(host.CountOf(Notification::LinkClosed, 0), 1);
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(host.TimerDelay(), Ms(row.waitTimeout));
  host.ClearRecords();

  switch (row.back) {
    case Back::LoaderEvent:
      host.link = LinkState::Open;
      Receive(test::EventWith({{ie::LoaderStarted, {}}, test::TextElement(ie::LoaderVersion, "0.9")}));
      EXPECT_EQ(engine.deviceInformation().system.loaderVersion, "0.9");
      break;
    case Back::SerialPort:
      clock.Advance(Ms(row.waitTimeout));
      for (int tick = 0; tick < 3; ++tick) {  // looked for once a second while the port is away
        EXPECT_EQ(host.TimerDelay(), kSerialPoll);
        EXPECT_EQ(engine.state(), row.waiting);
        clock.Advance(kSerialPoll);
      }
      EXPECT_TRUE(host.sent.empty());
      EXPECT_EQ(host.reopens, 0);
      host.link = LinkState::Open;  // the gateway's USB device is back
      clock.Advance(kSerialPoll);
      EXPECT_EQ(host.CountOf(Notification::LinkClosed), 1);
      break;
    case Back::TcpAtOnce:
      clock.Advance(Ms(row.waitTimeout));
      EXPECT_EQ(host.reopens, 1);
      EXPECT_EQ(host.CountOf(Notification::LinkClosed), 1);
      break;
    case Back::TcpConnecting:
      // A request sent while the connection is still being made would be lost and use up a try.
      host.openLink = [this] {
        host.link = LinkState::Connecting;
        return false;
      };
      clock.Advance(Ms(row.waitTimeout));
      EXPECT_EQ(engine.state(), row.waiting);
      EXPECT_TRUE(host.sent.empty());
      host.link = LinkState::Open;
      clock.Advance(*host.TimerDelay());
      EXPECT_EQ(host.reopens, 1);
      break;
  }
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{row.first});
  EXPECT_EQ(engine.state(), row.next);
  EXPECT_EQ(engine.retries(), 0);  // a first try, with both repeats to come
  EXPECT_EQ(host.TimerDelay(), Ms(row.nextTimeout));
}

void ResetAnswered(Restarts& t) {
  ASSERT_TRUE(t.engine.ResetDevice());
  t.Receive(ReplyWith({{ie::Reset, {}}}));
}
void SwitchToFirmwareAnswered(Restarts& t) {
  OperationsOf(t.engine).SetState(EngineState::InLoader);
  OperationsOf(t.engine).SetRetries(1);
  t.Receive(ReplyWith({{ie::SwitchToFirmware, {}}}));
}
// The firmware update and the upload ask the firmware to restart into the loader.
void FlashStartAnsweredByReset(Restarts& t) {
  t.firmware = test::LoadFirmware(t.engine, {{kSectionTypeApplication, test::kFirmwareBase, test::FirmwareData(64)}});
  ASSERT_TRUE(t.engine.StartFirmwareUpdate());
  t.Receive(ReplyWith({{ie::Reset, {}}}));
}
void WriteStartAnsweredByReset(Restarts& t) {
  ASSERT_TRUE(t.engine.StartUpload(test::DenseImage()));
  OperationsOf(t.engine).SetRetries(1);
  t.Receive(ReplyWith({{ie::Reset, {}}}));
}

constexpr Setting kToLoader = &EngineSettings::communicationTimeoutSwitchToLoader;
constexpr Setting kToFirmware = &EngineSettings::communicationTimeoutSwitchToFirmware;
constexpr Setting kProbe = &EngineSettings::communicationTimeout;
constexpr Setting kFlashStart = &EngineSettings::communicationTimeoutFlashLoadStart;
constexpr Setting kWriteStart = &EngineSettings::communicationTimeoutDataWriteStart;
constexpr auto kLoaderVersion = ie::LoaderVersion;

INSTANTIATE_TEST_SUITE_P(
    Restart, Restarts,
    ::testing::Values(
        BackRow{"ToTheLoaderSerial", ResetAnswered, EngineState::WaitLoader, kToLoader, Back::SerialPort, EngineState::InLoader, kLoaderVersion, kProbe},
        BackRow{"ToTheLoaderTcp", ResetAnswered, EngineState::WaitLoader, kToLoader, Back::TcpAtOnce, EngineState::InLoader, kLoaderVersion, kProbe},
        BackRow{"ToTheLoaderTcpConnecting", ResetAnswered, EngineState::WaitLoader, kToLoader, Back::TcpConnecting, EngineState::InLoader, kLoaderVersion, kProbe},
        BackRow{"ToTheFirmwareSerial", SwitchToFirmwareAnswered, EngineState::WaitFirmware, kToFirmware, Back::SerialPort, EngineState::WaitFirmwareInfo, kLoaderVersion, kProbe},
        BackRow{"ToTheFirmwareTcp", SwitchToFirmwareAnswered, EngineState::WaitFirmware, kToFirmware, Back::TcpAtOnce, EngineState::WaitFirmwareInfo, kLoaderVersion, kProbe},
        BackRow{"ToTheFirmwareTcpConnecting", SwitchToFirmwareAnswered, EngineState::WaitFirmware, kToFirmware, Back::TcpConnecting, EngineState::WaitFirmwareInfo, kLoaderVersion, kProbe},
        // Into the loader for the update: the flash start goes again, never the switch to the firmware.
        BackRow{"FirmwareUpdateSerial", FlashStartAnsweredByReset, EngineState::FlashWaitLoader, kToLoader, Back::SerialPort, EngineState::FlashStarting, ie::FlashStart, kFlashStart},
        BackRow{"FirmwareUpdateTcp", FlashStartAnsweredByReset, EngineState::FlashWaitLoader, kToLoader, Back::TcpAtOnce, EngineState::FlashStarting, ie::FlashStart, kFlashStart},
        BackRow{"FirmwareUpdateLoaderEvent", FlashStartAnsweredByReset, EngineState::FlashWaitLoader, kToLoader, Back::LoaderEvent, EngineState::FlashStarting, ie::FlashStart, kFlashStart},
        BackRow{"UploadLoaderEvent", WriteStartAnsweredByReset, EngineState::WriteWaitLoader, kToLoader, Back::LoaderEvent, EngineState::WriteStarting, ie::ConfigWriteStart, kWriteStart},
        BackRow{"UploadTcp", WriteStartAnsweredByReset, EngineState::WriteWaitLoader, kToLoader, Back::TcpAtOnce, EngineState::WriteStarting, ie::ConfigWriteStart, kWriteStart}),
    test::RowName<BackRow>);

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
