// The host's wait for a TCP connect that the gateway never answers: on
// virtual time, over a real socket whose listener's accept queue is full, so
// that the connect stays under way for as long as the test runs.
#include "app/session/LinkEngineHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "link/RecordingLog.h"
#include "support/LinkPeer.h"
#include "support/RowName.h"
#include "support/VirtualMainLoop.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;

constexpr auto kConnectLimit = 3000ms;
constexpr auto kFirstWait = kLinkOpenWaitSteps * kLinkOpenWaitStepMs;
// Bounds the filler's own connect; it only ends a test that has failed.
constexpr auto kFillerLimit = 10s;

enum class Before { Nothing, ConnectCommand };
enum class Wait { UntilSettled, GivenUp };

struct Row {
  const char* name;
  Before before;
  Wait wait;  // how the desktop's wait for the connect ends
  std::chrono::milliseconds endsAt;
  bool notReachedBox;  // the TCP error box with "strTcpError4"; otherwise no box
  const char* logLine;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class ConnectTimeLimit : public testing::TestWithParam<Row> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(listener.Ready());
    ASSERT_TRUE(filler.TcpConnect("127.0.0.1", listener.port(), nullptr) ||
                (filler.TcpWaitReady(kFillerLimit), filler.GetTcpState() == LinkState::Open));
    TcpLink probe(fillerLog);
    probe.TcpConnect("127.0.0.1", listener.port(), nullptr);
    if (probe.GetTcpState() != LinkState::Connecting) GTEST_SKIP() << "the system settles such a connect at once";
    probe.TcpDisconnect();
    settings.comMode = 1;
    settings.tcpAddress = "127.0.0.1";
    settings.tcpPort = listener.port();
    settings.communicationTimeoutConnect = static_cast<std::uint32_t>(kConnectLimit.count());
    LinkEngineHostHooks hooks{
        .text = [](std::string_view key) { return key == "strTcpError1" ? std::string("%s %s") : std::string(key); },
        .notified = [](Notification, int) {},
        .password = [] { return std::optional<std::string>(); },
        .message = [this](const std::string&, const std::string& text) { boxes.push_back(text); },
        .busy = [this](bool on) { busyCount += on ? 1 : -1; }};
    // The user presses Esc as soon as the wait shows.
    if (GetParam().wait == Wait::GivenUp) hooks.waitWhileConnecting = [](const std::function<bool()>&) { return false; };
    host.emplace(loop, settings, std::move(hooks));
    host->AttachLog(&log);
  }

  test::VirtualClock clock;
  test::VirtualMainLoop loop{clock};
  RecordingLog log;
  ProgramSettings settings;
  std::vector<std::string> boxes;
  int busyCount = 0;
  test::TcpPeer listener{0};
  LinkLog fillerLog;
  TcpLink filler{fillerLog};
  std::optional<LinkEngineHost> host;
};

TEST_P(ConnectTimeLimit, EndsTheWaitWithoutASecondConnect) {
  const Row& row = GetParam();
  if (row.before == Before::ConnectCommand) {
    EXPECT_FALSE(host->EnsureLinkOpen(false));
    EXPECT_EQ(host->link().GetLinkState(), LinkState::Connecting);
    EXPECT_EQ(clock.Now(), kFirstWait);
    EXPECT_TRUE(boxes.empty()) << "a connect still under way is no failure";
  }
  EXPECT_FALSE(host->EnsureLinkOpen(true));

  EXPECT_EQ(clock.Now(), row.endsAt);
  EXPECT_EQ(host->link().GetLinkState(), LinkState::Closed);
  EXPECT_TRUE(log.Contains(row.logLine));
  const std::string notReached = "127.0.0.1:" + std::to_string(listener.port()) + " strTcpError4";
  EXPECT_EQ(boxes, row.notReachedBox ? std::vector<std::string>{notReached} : std::vector<std::string>{});
  EXPECT_EQ(log.CountStartingWith("TCP Connect - "), 1u) << "the command's wait joins the connect under way";
  EXPECT_EQ(busyCount, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConnectTimeLimit,
    testing::Values(Row{"TheLimitEndsItAsNotReached", Before::Nothing, Wait::UntilSettled, kConnectLimit, true,
                        "Connect timeout"},
                    Row{"EscEndsItQuietly", Before::Nothing, Wait::GivenUp, kFirstWait, false, "Connect cancelled"},
                    Row{"ACommandDuringTheConnectWaitsForItsLimit", Before::ConnectCommand, Wait::UntilSettled,
                        kConnectLimit, true, "Connect timeout"}),
    test::RowName<Row>);

}  // namespace
}  // namespace tusko
