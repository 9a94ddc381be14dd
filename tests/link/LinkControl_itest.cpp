#include "link/LinkControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/RecordingLog.h"
#include "support/LinkPeer.h"
#include "support/RowName.h"
#include "support/SimulatorLink.h"
#include "support/TestMessages.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;
using test::SimulatorThread;
using test::Transport;

// Bounds for waits on other threads; they only end a test that has failed.
constexpr auto kWaitLimit = 10s;
constexpr auto kPollStep = 1ms;

// The main window's side as the link sees it: records what crosses over.
class RecordingLinkHost final : public LinkHost {
 public:
  static constexpr TimerId kTimerId = 7;

  void PostReceivedMessage(ReceivedFrame frame) override {
    std::lock_guard lock(mutex_);
    frames_.push_back(std::move(frame));
  }
  void PostLinkClosed() override { ++linkClosed; }
  TimerId StartLinkTimer(std::chrono::milliseconds period) override {
    ++timersStarted;
    timerPeriod = period;
    return kTimerId;
  }
  void StopLinkTimer(TimerId id) override { timersStopped += id == kTimerId ? 1 : 0; }
  void ShowComError(const std::string& port, std::string_view detailKey) override {
    comErrors.emplace_back(port, detailKey);
  }
  void ShowThreadError() override { ADD_FAILURE() << "the link threads did not start"; }

  std::vector<ReceivedFrame> Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
  }

  std::atomic<int> linkClosed{0};
  // Main thread only.
  int timersStarted = 0;
  int timersStopped = 0;
  std::chrono::milliseconds timerPeriod{0};
  std::vector<std::pair<std::string, std::string>> comErrors;  // port, detail key

 private:
  mutable std::mutex mutex_;
  std::vector<ReceivedFrame> frames_;
};

template <typename Condition>
bool PollUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollStep);
  }
  return true;
}

class LinkControlTest : public testing::Test {
 protected:
  void SetUp() override { link.AttachLog(&log); }
  void TearDown() override { link.CloseCommunication(); }

  void StartSimulator(Transport transport, sim::WireFaults faults = {}) {
    simulator.emplace(transport, faults);
    ASSERT_TRUE(simulator->Ready()) << simulator->Error();
    test::UseSimulator(settings, transport, *simulator);
  }
  bool Open() {
    return link.InitCommunication(settings, false) && PollUntil([this] { return link.GetLinkState() == LinkState::Open; });
  }
  static DeviceMessage SystemInfoRequest() { return test::SealedMessage(MessageType::Request, {{ie::LoaderVersion, {}}}); }
  // Sends a system information request; true when its whole reply came back.
  bool Exchange(std::size_t framesBefore = 0) {
    DeviceMessage request = SystemInfoRequest();
    const std::size_t length = request.wireSize();
    if (!link.SendToDevice(std::move(request), length) || !PollUntil([&] { return host.Frames().size() > framesBefore; })) return false;
    const ReceivedFrame frame = host.Frames().at(framesBefore);
    return frame.length == frame.message.wireSize() &&
           frame.message.type() == static_cast<std::uint8_t>(MessageType::Reply) && IsChecksumValid(frame.message) &&
           FindElement(frame.message, ie::FirmwareVersion).has_value();
  }

  LinkSettings settings;
  RecordingLog log;
  RecordingLinkHost host;
  // The simulator outlives the link, as a gateway outlives the program.
  std::optional<SimulatorThread> simulator;
  LinkControl link{host};
};

class LinkControlOverSimulator : public LinkControlTest, public testing::WithParamInterface<Transport> {};

// The simulator stalls its first answer half way: the decoder drops it at the
// third link-timer tick and takes the next frames whole.
TEST_P(LinkControlOverSimulator, OpensCarriesMessagesDropsAStalledFrameAndReopens) {
  StartSimulator(GetParam(), {.stallAnswer = 1});
  ASSERT_TRUE(Open());
  EXPECT_TRUE(link.ThreadsRunning());
  EXPECT_EQ(link.CurrentLinkType(), GetParam() == Transport::Tcp ? LinkType::Tcp : LinkType::Serial);
  EXPECT_EQ(host.timerPeriod, kLinkTimerPeriodMs);

  const DeviceMessage request = SystemInfoRequest();
  ASSERT_TRUE(link.SendToDevice(request, request.wireSize()));
  ASSERT_TRUE(PollUntil([this] { return link.FrameUnderWay(); })) << "the half frame did not arrive";
  for (int tick = 0; tick < 3; ++tick) link.LinkTimerTick();
  EXPECT_FALSE(link.FrameUnderWay());
  EXPECT_EQ(log.Count("Communication timeout"), 1u);
  EXPECT_TRUE(host.Frames().empty());
  EXPECT_TRUE(Exchange());
  EXPECT_TRUE(Exchange(1)) << "a second message on the same link";

  // Opening the open link closes it completely first.
  ASSERT_TRUE(link.InitCommunication(settings, false));
  const std::vector<std::string> texts = log.Texts();
  const auto lastInit = std::find(texts.rbegin(), texts.rend(), "Init communication");
  ASSERT_TRUE(lastInit != texts.rend() && lastInit != texts.rbegin());
  EXPECT_EQ(*lastInit.base(), "Close communication") << "the line right after it";
  EXPECT_EQ(host.timersStopped, 1);
  EXPECT_EQ(host.timersStarted, 2);
  ASSERT_TRUE(PollUntil([this] { return link.GetLinkState() == LinkState::Open; }));
  EXPECT_TRUE(Exchange(2)) << "the reopened link carries messages";
}

INSTANTIATE_TEST_SUITE_P(Transports, LinkControlOverSimulator, testing::Values(Transport::Tcp, Transport::Pty),
                         test::TransportName);

TEST_F(LinkControlTest, TheGatewayClosingTheConnectionIsReportedOnce) {
  StartSimulator(Transport::Tcp, {.closeAfterAnswers = 1});
  ASSERT_TRUE(Open());
  ASSERT_TRUE(Exchange());
  ASSERT_TRUE(PollUntil([this] { return host.linkClosed > 0; }));
  ASSERT_TRUE(PollUntil([this] { return link.GetLinkState() == LinkState::Closed; }));
  EXPECT_EQ(log.Count("Connection closed"), 1u);
  EXPECT_TRUE(link.ThreadsRunning()) << "the threads outlive the connection";
  EXPECT_EQ(link.LastTcpError(), TcpError::None) << "a dropped open connection leaves no error";

  link.CloseCommunication();
  EXPECT_EQ(host.linkClosed, 1);
}

struct OpenFailureRow {
  const char* name;
  LinkType type;
  const char* where;  // the port or TCP address; empty: a pseudo-terminal
  std::uint32_t baudrate;
  const char* detailKey;
  std::string logged;
  bool heldByAnother = false;
};

std::string SystemErrorLine(const char* what, int error) {
  return std::string(what) + "Error " + std::to_string(error) + " - " + SystemErrorText(error);
}

class OpenFailures : public LinkControlTest, public testing::WithParamInterface<OpenFailureRow> {};

// A failed serial open shows its box only when not quiet; a TCP connect that
// fails at once shows none (the caller asks for its error) and tells no close.
TEST_P(OpenFailures, GiveTheirDetailAndLogTheCause) {
  const OpenFailureRow& row = GetParam();
  const bool tcp = row.type == LinkType::Tcp;
  const test::PtyPeer pty;
  settings.type = row.type;
  settings.portName = *row.where != '\0' ? row.where : pty.slavePath();
  settings.tcpAddress = row.where;
  settings.baudrate = row.baudrate;
  RecordingLinkHost holderHost;
  LinkControl holder{holderHost};
  if (row.heldByAnother) {
    ASSERT_TRUE(holder.InitCommunication(settings, true));
  }
  for (const bool quiet : {true, false}) {
    EXPECT_FALSE(link.InitCommunication(settings, quiet));
    EXPECT_FALSE(link.ThreadsRunning());
    EXPECT_EQ(host.timersStarted, 0);
    EXPECT_EQ(host.comErrors.size(), quiet || tcp ? 0u : 1u);
  }
  if (tcp) {
    EXPECT_EQ(TcpErrorDetailKey(link.LastTcpError()), row.detailKey);
  } else {
    EXPECT_EQ(host.comErrors.at(0), std::make_pair(settings.portName, std::string(row.detailKey)));
  }
  EXPECT_EQ(log.Count(row.logged), 2u);
  EXPECT_EQ(host.linkClosed, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OpenFailures,
    testing::Values(
        OpenFailureRow{"MissingDevice", LinkType::Serial, "/dev/tusko-no-such-port", 115200, "strComError2",
                       SystemErrorLine("", ENOENT)},
        OpenFailureRow{"ZeroBaudRate", LinkType::Serial, "", 0, "strComError4", SystemErrorLine("SetCommState ", EINVAL)},
        OpenFailureRow{"NotATerminal", LinkType::Serial, "/dev/null", 115200, "strComError4",
                       SystemErrorLine("SetCommState ", ENOTTY)},
        OpenFailureRow{"Directory", LinkType::Serial, "/tmp", 115200, "strComError5", SystemErrorLine("", EISDIR)},
        OpenFailureRow{"HeldByAnother", LinkType::Serial, "", 115200, "strComError3", SystemErrorLine("", EBUSY), true},
        OpenFailureRow{"Unresolvable", LinkType::Tcp, "gateway.invalid", 0, "strTcpError3", "Invalid address!"},
        // The system refuses a multicast address itself, before anything is sent.
        OpenFailureRow{"Multicast", LinkType::Tcp, "224.0.0.1", 0, "strTcpError4",
                       "connect() error - " + std::to_string(ENETUNREACH)}),
    test::RowName<OpenFailureRow>);

}  // namespace
}  // namespace tusko
