// The diagnostics polls and the monitoring poll: what each asks, when the
// engine sends one, and the gateway model's answers as the engine stores them.
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
using test::GatewayHarness;
using test::RecordedNotification;

struct KindRow {
  const char* name;
  DiagnosticsKind kind;
  int module;
  std::uint8_t element;
  std::vector<std::uint8_t> data;
  friend void PrintTo(const KindRow& row, std::ostream* out) { *out << row.name; }
};

class DiagnosticsScripted : public ::testing::Test, protected test::ScriptedEngine {
 protected:
  DiagnosticsScripted() { engine.SetState(EngineState::Idle); }
};

class DiagnosticsKinds : public DiagnosticsScripted, public ::testing::WithParamInterface<KindRow> {};

TEST_P(DiagnosticsKinds, AskForTheirElementWithoutFlagTimerOrPassword) {
  engine.SetLoginPassword("pw");
  ASSERT_TRUE(engine.RequestDiagnostics(GetParam().kind, GetParam().module));
  ASSERT_EQ(host.sent.size(), 1u);
  const DeviceMessage& request = host.sent[0].message;
  EXPECT_EQ(request.type(), static_cast<std::uint8_t>(MessageType::Request));
  const auto element = FindElement(request, GetParam().element);
  ASSERT_TRUE(element.has_value());
  EXPECT_EQ(std::vector<std::uint8_t>(element->data.begin(), element->data.end()), GetParam().data);
  EXPECT_FALSE(FindElement(request, ie::Password).has_value());
  EXPECT_EQ(engine.pending(), 0u);
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_EQ(host.linkQueries, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Diagnostics, DiagnosticsKinds,
    ::testing::Values(KindRow{"IsdnStatus", DiagnosticsKind::IsdnStatus, 0, ie::IsdnStatus, {}},
                      KindRow{"IsdnCreditAsksAllFour", DiagnosticsKind::IsdnCredit, 1, ie::IsdnCredit, {0, 1, 2, 3}},
                      KindRow{"GsmStatusOfModule2", DiagnosticsKind::GsmStatus, 1, ie::GsmStatus, {1}},
                      KindRow{"GsmStatusOfUnknownModuleAsksTheFirst", DiagnosticsKind::GsmStatus, 7, ie::GsmStatus, {0}},
                      KindRow{"GsmCreditFromTheFirstModule", DiagnosticsKind::GsmCredit, 0, ie::GsmCredit, {0, 1}},
                      KindRow{"GsmCreditFromTheSecondModule", DiagnosticsKind::GsmCredit, 1, ie::GsmCredit, {1}},
                      KindRow{"GsmCreditOfNegativeModuleAsksBoth", DiagnosticsKind::GsmCredit, -1, ie::GsmCredit, {0, 1}}),
    test::RowName<KindRow>);

// Diagnostics and the monitoring poll go out only beside Idle and arm nothing.
struct StateRow {
  const char* name;
  bool (*start)(OperationEngine&);
  std::uint8_t element;
  EngineState state;
  bool sent;
  EngineState after;
  friend void PrintTo(const StateRow& row, std::ostream* out) { *out << row.name; }
};

class IdleOnlyStates : public DiagnosticsScripted, public ::testing::WithParamInterface<StateRow> {};

TEST_P(IdleOnlyStates, SendOnlyWhenNoOperationRuns) {
  const StateRow& row = GetParam();
  engine.SetState(row.state);
  EXPECT_EQ(row.start(engine), row.sent);
  EXPECT_EQ(host.SentElements(), row.sent ? std::vector<std::uint8_t>{row.element} : std::vector<std::uint8_t>{});
  EXPECT_EQ(engine.state(), row.after);
  EXPECT_FALSE(host.TimerRunning());
  EXPECT_TRUE(host.notifications.empty());
  EXPECT_EQ(engine.pending(), 0u);
}

bool IsdnStatus(OperationEngine& e) { return e.RequestDiagnostics(DiagnosticsKind::IsdnStatus); }
bool Poll(OperationEngine& e) { return e.PollMonitoring(); }
constexpr std::uint8_t kIsdn = ie::IsdnStatus;
constexpr std::uint8_t kPoll = ie::MonitorPoll;

INSTANTIATE_TEST_SUITE_P(
    Diagnostics, IdleOnlyStates,
    ::testing::Values(StateRow{"DiagnosticsIdle", IsdnStatus, kIsdn, EngineState::Idle, true, EngineState::Idle},
                      StateRow{"DiagnosticsInitialBecomesIdle", IsdnStatus, kIsdn, EngineState::Initial, true, EngineState::Idle},
                      StateRow{"DiagnosticsFailedBecomesIdle", IsdnStatus, kIsdn, EngineState::Failed, true, EngineState::Idle},
                      StateRow{"DiagnosticsRefusedDuringReset", IsdnStatus, kIsdn, EngineState::ResetSent, false, EngineState::ResetSent},
                      StateRow{"DiagnosticsRefusedWhileWaitingForTheLoader", IsdnStatus, kIsdn, EngineState::WaitLoader, false, EngineState::WaitLoader},
                      StateRow{"DiagnosticsRefusedDuringDownload", IsdnStatus, kIsdn, EngineState::Reading, false, EngineState::Reading},
                      StateRow{"PollIdle", Poll, kPoll, EngineState::Idle, true, EngineState::Idle},
                      StateRow{"PollFailedCountsAsIdle", Poll, kPoll, EngineState::Failed, true, EngineState::Idle},
                      StateRow{"PollRefusedInInitial", Poll, kPoll, EngineState::Initial, false, EngineState::Initial},
                      StateRow{"PollRefusedDuringReset", Poll, kPoll, EngineState::ResetSent, false, EngineState::ResetSent},
                      StateRow{"PollRefusedDuringDownload", Poll, kPoll, EngineState::Reading, false, EngineState::Reading}),
    test::RowName<StateRow>);

TEST_F(DiagnosticsScripted, ClosedLinkAsksTheWindowToConnectAndRefusesWhenItStaysClosed) {
  host.link = LinkState::Closed;
  EXPECT_FALSE(engine.RequestDiagnostics(DiagnosticsKind::GsmStatus, 0));
  EXPECT_EQ(host.connectRequests, 1);
  EXPECT_EQ(host.linkQueries, 0);
  EXPECT_TRUE(host.sent.empty());
}

class ConnectingHost : public test::EngineTestHost {
 public:
  using EngineTestHost::EngineTestHost;
  void requestConnect() override {
    EngineTestHost::requestConnect();
    link = LinkState::Open;
  }
};

TEST(DiagnosticsConnect, GoesOutOnceTheConnectCommandOpenedTheLink) {
  test::VirtualClock clock;
  ProgramSettings settings;
  ConnectingHost host(clock);
  OperationEngine engine(host, settings);
  host.Attach(engine);
  host.link = LinkState::Closed;
  EXPECT_TRUE(engine.RequestDiagnostics(DiagnosticsKind::GsmCredit, 1));
  EXPECT_EQ(host.connectRequests, 1);
  EXPECT_EQ(host.SentElements(), std::vector<std::uint8_t>{ie::GsmCredit});
}

TEST_F(DiagnosticsScripted, UnknownKindIsRefused) {
  engine.SetState(EngineState::Failed);
  EXPECT_FALSE(engine.RequestDiagnostics(static_cast<DiagnosticsKind>(3)));
  EXPECT_TRUE(host.sent.empty());
  EXPECT_EQ(engine.state(), EngineState::Failed);
}

TEST_F(DiagnosticsScripted, RunBesideAPendingRequestWithoutDisturbingIt) {
  ASSERT_TRUE(engine.GetLanInfo());
  ASSERT_TRUE(engine.RequestDiagnostics(DiagnosticsKind::IsdnStatus));
  EXPECT_TRUE(engine.HasPending(LanInfoPending));
  EXPECT_EQ(engine.retries(), 0);
  EXPECT_EQ(host.TimerDelay(), milliseconds(settings.communicationTimeout));
}

std::uint16_t StatusWord(const DiagnosticsData& data, std::size_t at) {
  return static_cast<std::uint16_t>(data.isdnStatus[at] | (data.isdnStatus[at + 1] << 8));
}

std::uint32_t Counter(const std::uint8_t* record, std::size_t counter) {
  const std::uint8_t* b = record + counter * 4;
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

class DiagnosticsAgainstGateway : public ::testing::Test {
 protected:
  void AskAll() {
    for (DiagnosticsKind kind : {DiagnosticsKind::IsdnStatus, DiagnosticsKind::IsdnCredit, DiagnosticsKind::GsmStatus,
                                 DiagnosticsKind::GsmCredit}) {
      ASSERT_TRUE(harness.engine.RequestDiagnostics(kind, 0));
      harness.RunFor(milliseconds(10));
    }
  }
  const DiagnosticsData& data() const { return harness.engine.diagnostics(); }

  GatewayHarness harness;
};

TEST_F(DiagnosticsAgainstGateway, EveryKindIsAnsweredAndAnnouncedAtOnce) {
  AskAll();
  EXPECT_EQ(harness.host.notifications, (std::vector<RecordedNotification>{
                                            {Notification::IsdnStatusData, 0, true},
                                            {Notification::IsdnCreditData, 0, true},
                                            {Notification::GsmStatusData, 0, true},
                                            {Notification::GsmCreditData, 0, true},
                                        }));
  EXPECT_EQ(StatusWord(data(), 0) & 0x0003, 0x0003);  // line 1 up: layer 2 and SDI
  const std::uint8_t signal = data().gsmStatus[kGsmStatusSignalOffset];
  EXPECT_LE(signal, 31);
  const std::uint8_t* line1 = data().isdnCredit.data();
  EXPECT_GT(Counter(line1, 1), 0u);                // an allowance
  EXPECT_LE(Counter(line1, 0), Counter(line1, 1));  // used within it
  EXPECT_EQ(harness.engine.state(), EngineState::Idle);
}

}  // namespace
}  // namespace tusko
