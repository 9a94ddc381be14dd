#include "link/LinkControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/RecordingLog.h"
#include "support/SimulatorLink.h"
#include "support/RowName.h"

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

  struct ComError {
    std::string port;
    std::string detailKey;
  };

  void PostReceivedMessage(ReceivedFrame frame) override {
    std::lock_guard lock(mutex_);
    frames_.push_back(std::move(frame));
    changed_.notify_all();
  }
  void PostLinkClosed() override {
    std::lock_guard lock(mutex_);
    ++linkClosed_;
    changed_.notify_all();
  }
  TimerId StartLinkTimer(std::chrono::milliseconds period) override {
    ++timersStarted;
    timerPeriod = period;
    return kTimerId;
  }
  void StopLinkTimer(TimerId id) override {
    if (id == kTimerId) ++timersStopped;
  }
  void ShowComError(const std::string& port, std::string_view detailKey) override {
    comErrors.push_back({port, std::string(detailKey)});
  }
  void ShowThreadError() override { ++threadErrors; }

  bool WaitForFrames(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return frames_.size() >= count; });
  }
  bool WaitForLinkClosed() {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return linkClosed_ > 0; });
  }
  std::vector<ReceivedFrame> Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
  }
  int LinkClosedCount() const {
    std::lock_guard lock(mutex_);
    return linkClosed_;
  }

  // Main thread only.
  int timersStarted = 0;
  int timersStopped = 0;
  std::chrono::milliseconds timerPeriod{0};
  std::vector<ComError> comErrors;
  int threadErrors = 0;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<ReceivedFrame> frames_;
  int linkClosed_ = 0;
};

DeviceMessage SystemInfoRequest() {
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::LoaderVersion, {});
  SealMessage(request);
  return request;
}

bool IsSystemInfoReply(const ReceivedFrame& frame) {
  return frame.length == frame.message.wireSize() && frame.message.type() == static_cast<std::uint8_t>(MessageType::Reply) &&
         IsChecksumValid(frame.message) && FindElement(frame.message, ie::FirmwareVersion).has_value();
}

template <typename Condition>
bool PollUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + kWaitLimit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kPollStep);
  }
  return true;
}

// The lines logged after the last "Init communication".
std::vector<std::string> LinesOfLastInit(const RecordingLog& log) {
  const std::vector<std::string> texts = log.Texts();
  const auto last = std::find(texts.rbegin(), texts.rend(), "Init communication");
  if (last == texts.rend()) return {};
  return {std::prev(last.base()), texts.end()};
}

class LinkControlTest : public testing::Test {
 protected:
  void SetUp() override { link.AttachLog(&log); }
  void TearDown() override { link.CloseCommunication(); }

  void UseSerial(const std::string& port) {
    settings.comMode = 0;
    settings.virtualComPort = port;
  }
  bool WaitForOpen() {
    return PollUntil([this] { return link.GetLinkState() == LinkState::Open; });
  }
  bool Exchange(std::size_t framesBefore = 0) {
    DeviceMessage request = SystemInfoRequest();
    const std::size_t length = request.wireSize();
    if (!link.SendToDevice(std::move(request), length) || !host.WaitForFrames(framesBefore + 1)) return false;
    return IsSystemInfoReply(host.Frames().at(framesBefore));
  }

  ProgramSettings settings;
  RecordingLog log;
  RecordingLinkHost host;
  // The simulator outlives the link, as a gateway outlives the program.
  std::optional<SimulatorThread> simulator;
  LinkControl link{host, settings};
};

class LinkControlOverSimulator : public LinkControlTest, public testing::WithParamInterface<Transport> {
 protected:
  void StartSimulator(sim::WireFaults faults = {}) {
    simulator.emplace(GetParam(), faults);
    ASSERT_TRUE(simulator->Ready()) << simulator->Error();
    test::UseSimulator(settings, GetParam(), *simulator);
  }
};

TEST_P(LinkControlOverSimulator, OpensStartsThreadsAndTimerAndCarriesMessagesBothWays) {
  StartSimulator();
  ASSERT_TRUE(link.InitCommunication(false));
  ASSERT_TRUE(WaitForOpen());
  EXPECT_TRUE(link.ThreadsRunning());
  EXPECT_EQ(link.CurrentLinkType(), GetParam() == Transport::Tcp ? LinkType::Tcp : LinkType::Serial);
  EXPECT_EQ(host.timersStarted, 1);
  EXPECT_EQ(host.timerPeriod, kLinkTimerPeriodMs);

  EXPECT_TRUE(Exchange());
  EXPECT_TRUE(Exchange(1)) << "a second message on the same link";

  for (const char* line : {"Init communication", "Start threads", "O.K.", "ComTimer started (7)"}) {
    EXPECT_TRUE(log.Contains(line)) << line;
  }
  for (const RecordingLog::Entry& entry : log.Entries()) {
    if (entry.text.rfind("<dump", 0) != 0) {
      EXPECT_EQ(entry.colour, LogColour::Link) << entry.text;
    }
  }
  EXPECT_TRUE(host.comErrors.empty());
}

TEST_P(LinkControlOverSimulator, OpeningAnOpenLinkClosesItCompletelyFirst) {
  StartSimulator();
  ASSERT_TRUE(link.InitCommunication(false));
  ASSERT_TRUE(WaitForOpen());

  ASSERT_TRUE(link.InitCommunication(false));
  const std::vector<std::string> lines = LinesOfLastInit(log);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Close communication");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Start threads"), lines.end()) << "the threads start anew";
  EXPECT_EQ(host.timersStopped, 1);
  EXPECT_EQ(host.timersStarted, 2);

  ASSERT_TRUE(WaitForOpen());
  EXPECT_TRUE(Exchange()) << "the reopened link carries messages";
}

TEST_P(LinkControlOverSimulator, AStalledFrameIsDroppedAtTheThirdTickAndTheNextOneArrives) {
  StartSimulator({.stallAnswer = 1});
  ASSERT_TRUE(link.InitCommunication(false));
  ASSERT_TRUE(WaitForOpen());
  const DeviceMessage request = SystemInfoRequest();
  ASSERT_TRUE(link.SendToDevice(request, request.wireSize()));
  ASSERT_TRUE(PollUntil([this] { return link.FrameUnderWay(); })) << "the half frame did not arrive";

  link.LinkTimerTick();
  link.LinkTimerTick();
  EXPECT_TRUE(link.FrameUnderWay()) << "two ticks leave the frame alone";
  EXPECT_FALSE(log.Contains("Communication timeout"));
  link.LinkTimerTick();
  EXPECT_FALSE(link.FrameUnderWay());
  EXPECT_EQ(log.Count("Communication timeout"), 1u);
  EXPECT_TRUE(host.Frames().empty());

  EXPECT_TRUE(Exchange()) << "the decoder takes the next frame";
  link.LinkTimerTick();
  EXPECT_EQ(log.Count("Communication timeout"), 1u) << "a tick between frames drops nothing";
}

INSTANTIATE_TEST_SUITE_P(Transports, LinkControlOverSimulator, testing::Values(Transport::Tcp, Transport::Pty),
                         test::TransportName);

TEST_F(LinkControlTest, TheGatewayClosingTheConnectionIsReportedOnce) {
  simulator.emplace(Transport::Tcp, sim::WireFaults{.closeAfterAnswers = 1});
  ASSERT_TRUE(simulator->Ready()) << simulator->Error();
  test::UseSimulator(settings, Transport::Tcp, *simulator);
  ASSERT_TRUE(link.InitCommunication(false));
  ASSERT_TRUE(WaitForOpen());
  ASSERT_TRUE(Exchange());

  ASSERT_TRUE(host.WaitForLinkClosed());
  ASSERT_TRUE(PollUntil([this] { return link.GetLinkState() == LinkState::Closed; }));
  const std::vector<std::string> texts = log.Texts();
  const auto closed = std::find(texts.begin(), texts.end(), "Connection closed");
  ASSERT_NE(closed, texts.end());
  ASSERT_NE(std::next(closed), texts.end());
  EXPECT_EQ(*std::next(closed), "Disconnect");
  EXPECT_TRUE(link.ThreadsRunning()) << "the threads outlive the connection";
  EXPECT_EQ(link.LastTcpError(), TcpError::None) << "a dropped open connection leaves no error";

  link.CloseCommunication();
  EXPECT_EQ(host.LinkClosedCount(), 1);
}

struct OpenFailureRow {
  const char* name;
  const char* port;
  bool quiet;
  const char* detailKey;  // nullptr: no box
};

class SerialOpenFailures : public LinkControlTest, public testing::WithParamInterface<OpenFailureRow> {};

TEST_P(SerialOpenFailures, ShowTheirBoxOnlyWhenNotQuiet) {
  const OpenFailureRow& row = GetParam();
  UseSerial(row.port);
  EXPECT_FALSE(link.InitCommunication(row.quiet));
  EXPECT_FALSE(link.ThreadsRunning());
  EXPECT_EQ(host.timersStarted, 0);
  if (row.detailKey == nullptr) {
    EXPECT_TRUE(host.comErrors.empty());
    return;
  }
  ASSERT_EQ(host.comErrors.size(), 1u);
  EXPECT_EQ(host.comErrors[0].port, row.port);
  EXPECT_EQ(host.comErrors[0].detailKey, row.detailKey);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SerialOpenFailures,
    testing::Values(OpenFailureRow{"missing_port", "/dev/tusko-no-such-port", false, "strComError2"},
                    OpenFailureRow{"missing_port_quietly", "/dev/tusko-no-such-port", true, nullptr},
                    OpenFailureRow{"not_a_serial_line", "/dev/null", false, "strComError4"},
                    OpenFailureRow{"not_a_serial_line_quietly", "/dev/null", true, nullptr}),
    test::RowName<OpenFailureRow>);

}  // namespace
}  // namespace tusko
