// A gateway serves one TCP connection at a time; while another program holds
// it, a connect may still be accepted and then never answered. The engine's
// tries run out on virtual time over a real loopback socket, and the no-answer
// message says what may be wrong only when nothing came back on the connection.
#include "app/session/LinkEngineHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/session/CommandEnding.h"
#include "link/FrameEncoder.h"
#include "link/RecordingLog.h"
#include "protocol/InformationElements.h"
#include "protocol/engine/OperationEngine.h"
#include "support/LinkPeer.h"
#include "support/RowName.h"
#include "support/TestMessages.h"
#include "support/VirtualMainLoop.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;

// Bounds that only end a test that has failed.
constexpr auto kTriesLimit = 60s;
constexpr auto kRealLimit = 10s;
constexpr std::size_t kRequestBytes = 4;  // enough to know the first request went out

struct Row {
  const char* name;
  bool gatewaySpeaks;  // something comes back on the connection, though no answer to the request
  const char* key;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class HeldConnection : public testing::TestWithParam<Row> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(listener.Ready());
    settings.comMode = 1;
    settings.tcpAddress = "127.0.0.1";
    settings.tcpPort = listener.port();
    host.emplace(loop, settings,
                 LinkEngineHostHooks{.text = [](std::string_view key) { return std::string(key); },
                                     .notified = [this](Notification code, int) { notified.push_back(code); },
                                     .password = [] { return std::optional<std::string>(); },
                                     .message = [](const std::string&, const std::string&) {}});
    host->AttachLog(&log);
    engine.emplace(*host, host->engineSettings());
    host->Attach(*engine);
  }

  // Runs what the link's reader posts until `done`: those bytes cross a real socket.
  bool RunPostedUntil(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + kRealLimit;
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      loop.RunUntil([] { return true; }, 0ms);
      std::this_thread::yield();
    }
    return true;
  }
  bool Seen(Notification code) const { return std::find(notified.begin(), notified.end(), code) != notified.end(); }

  test::VirtualClock clock;
  test::VirtualMainLoop loop{clock};
  RecordingLog log;
  ProgramSettings settings;
  std::vector<Notification> notified;
  test::TcpPeer listener;
  std::optional<LinkEngineHost> host;
  std::optional<OperationEngine> engine;
};

TEST_P(HeldConnection, NoAnswerNamesTheHeldConnectionOnlyOnASilentOne) {
  const Row& row = GetParam();
  // The connect settles in real time; the virtual clock would not wait for it.
  ASSERT_TRUE(host->OpenQuietlyIfConfigured());
  ASSERT_TRUE(RunPostedUntil([&] { return host->linkState() == LinkState::Open; }));
  ASSERT_TRUE(engine->GetSystemInfo());
  ASSERT_TRUE(listener.Accept());
  ASSERT_GE(listener.Read(kRequestBytes).size(), kRequestBytes);
  EXPECT_TRUE(host->SilentTcpConnection()) << "nothing has come back yet";
  if (row.gatewaySpeaks) {
    // A clock nobody asked for: heard on this connection, yet no answer to the request.
    std::vector<std::uint8_t> frame;
    const DeviceMessage message = test::ReplyWith({{ie::DateTime, {0, 0, 0, 0, 0, 0, 0}}});
    EncodeFrame(message.wireBytes(), frame);
    listener.Write(frame);
    ASSERT_TRUE(RunPostedUntil([&] { return !host->SilentTcpConnection(); }));
  }
  ASSERT_TRUE(loop.RunUntil([&] { return Seen(Notification::OperationFailed); }, kTriesLimit));

  EXPECT_EQ(UnansweredMessage(Notification::OperationFailed, host->SilentTcpConnection()).textKey, row.key);
  // A gateway that does not allow the request has answered, whatever the connection.
  EXPECT_EQ(UnansweredMessage(Notification::NotAllowed, true).textKey, "strErrorNotAllowed");
}

INSTANTIATE_TEST_SUITE_P(Rows, HeldConnection,
                         testing::Values(Row{"AcceptedAndNeverAnswered", false, "strErrorNoResponseHeld"},
                                         Row{"HeardFromButUnanswered", true, "strErrorNoResponse"}),
                         test::RowName<Row>);

}  // namespace
}  // namespace tusko
