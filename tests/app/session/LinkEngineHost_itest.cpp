// The link and engine host over a real loopback socket on virtual time: a TCP connect never
// completed ends at its limit or at Esc; a gateway held by another program may accept a
// connection and never answer, which the no-answer message names only when nothing came back.
#include "app/session/LinkEngineHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "app/session/CommandEnding.h"
#include "base/MainLoop.h"
#include "link/FrameEncoder.h"
#include "link/RecordingLog.h"
#include "protocol/InformationElements.h"
#include "protocol/engine/OperationEngine.h"
#include "support/LinkPeer.h"
#include "support/TestMessages.h"
#include "support/VirtualClock.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;

constexpr auto kConnectLimit = 3000ms;
constexpr auto kFirstWait = kLinkOpenWaitSteps * kLinkOpenWaitStepMs;
constexpr auto kRealLimit = 10s;   // bounds real waits: it only ends a test that has failed

// The main loop on virtual time: timers run on the clock, and a nested run
// lets the clock pass in small steps, so a wait of seconds costs none. Posts
// may come from the link's threads; descriptor watches are not offered.
class VirtualMainLoop final : public MainLoop {
 public:
  // How much virtual time one step of a nested run lets pass.
  static constexpr std::chrono::milliseconds kStep{1};

  explicit VirtualMainLoop(test::VirtualClock& clock) : clock_(clock) {}
  ~VirtualMainLoop() override {
    for (const auto& [id, timer] : timers_) clock_.Cancel(timer.scheduled);
  }

  void Post(std::function<void()> task) override {
    std::lock_guard lock(postedMutex_);
    posted_.push_back(std::move(task));
  }
  TimerId StartTimer(std::chrono::milliseconds delay, std::function<void()> callback, bool repeat = false) override {
    const TimerId id = nextId_++;
    timers_[id] = Timer{delay, repeat, std::move(callback), 0};
    Arm(id, delay);
    return id;
  }
  void CancelTimer(TimerId id) override {
    const auto found = timers_.find(id);
    if (found == timers_.end()) return;
    clock_.Cancel(found->second.scheduled);
    timers_.erase(found);
  }
  void WatchReadable(int, std::function<void()>) override {}
  void Unwatch(int) override {}
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) override {
    const auto end = clock_.Now() + limit;
    RunPosted();
    while (!done()) {
      if (clock_.Now() >= end) return false;
      clock_.Advance(kStep);
      RunPosted();
    }
    return true;
  }

 private:
  void RunPosted() {
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard lock(postedMutex_);
      tasks.swap(posted_);
    }
    for (auto& task : tasks) task();
  }

  void Arm(TimerId id, std::chrono::milliseconds delay) {
    timers_.at(id).scheduled = clock_.Schedule(delay, [this, id] {
      const auto found = timers_.find(id);
      if (found == timers_.end()) return;
      // A one-shot timer is gone before its callback runs, which may arm a new one.
      const std::function<void()> callback = found->second.callback;
      if (found->second.repeat) {
        // A zero period would keep the clock from passing.
        Arm(id, std::max(found->second.period, kStep));
      } else {
        timers_.erase(found);
      }
      callback();
    });
  }

  struct Timer {
    std::chrono::milliseconds period;
    bool repeat;
    std::function<void()> callback;
    test::VirtualClock::TimerId scheduled;
  };

  test::VirtualClock& clock_;
  TimerId nextId_ = 1;
  std::map<TimerId, Timer> timers_;
  std::mutex postedMutex_;
  std::vector<std::function<void()>> posted_;
};

class LinkEngineHostOverTcp : public testing::Test {
 protected:
  // `escAtOnce`: the user presses Esc as soon as the wait for the connect shows.
  void MakeHost(bool escAtOnce = false) {
    ASSERT_TRUE(listener.Ready());
    settings.comMode = 1;
    settings.tcpAddress = "127.0.0.1";
    settings.tcpPort = listener.port();
    settings.communicationTimeoutConnect = static_cast<std::uint32_t>(kConnectLimit.count());
    LinkEngineHostHooks hooks{
        .text = [](std::string_view key) { return key == "strTcpError1" ? std::string("%s %s") : std::string(key); },
        .notified = [this](Notification code, int) { notified.push_back(code); },
        .password = [] { return std::optional<std::string>(); },
        .message = [this](const std::string&, const std::string& text) { boxes.push_back(text); },
        .busy = [this](bool on) { busyCount += on ? 1 : -1; }};
    if (escAtOnce) hooks.waitWhileConnecting = [](const std::function<bool()>&) { return false; };
    host.emplace(loop, settings, std::move(hooks));
    host->AttachLog(&log);
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

  test::VirtualClock clock;
  VirtualMainLoop loop{clock};
  RecordingLog log;
  ProgramSettings settings;
  std::vector<Notification> notified;
  std::vector<std::string> boxes;
  int busyCount = 0;
  test::TcpPeer listener{0};
  LinkLog fillerLog;
  TcpLink filler{fillerLog};
  std::optional<LinkEngineHost> host;
};

// The listener's accept queue is full, so that the host's connect stays under way.
class UnansweredConnect : public LinkEngineHostOverTcp {
 protected:
  void SetUp() override {
    ASSERT_TRUE(filler.TcpConnect("127.0.0.1", listener.port(), nullptr) ||
                (filler.TcpWaitReady(kRealLimit), filler.GetTcpState() == LinkState::Open));
    TcpLink probe(fillerLog);
    probe.TcpConnect("127.0.0.1", listener.port(), nullptr);
    if (probe.GetTcpState() != LinkState::Connecting) GTEST_SKIP() << "the system settles such a connect at once";
    probe.TcpDisconnect();
  }
};

// A command during the connect joins it and waits for the limit, which ends it as not reached.
TEST_F(UnansweredConnect, TheLimitEndsTheWaitAsNotReached) {
  MakeHost();
  EXPECT_FALSE(host->EnsureLinkOpen(false));
  EXPECT_EQ(host->link().GetLinkState(), LinkState::Connecting);
  EXPECT_EQ(clock.Now(), kFirstWait);
  EXPECT_TRUE(boxes.empty()) << "a connect still under way is no failure";
  EXPECT_FALSE(host->EnsureLinkOpen(true));
  EXPECT_EQ(clock.Now(), kConnectLimit);
  EXPECT_EQ(host->link().GetLinkState(), LinkState::Closed);
  EXPECT_EQ(log.Count("Connect timeout"), 1u);
  EXPECT_EQ(boxes, std::vector<std::string>{"127.0.0.1:" + std::to_string(listener.port()) + " strTcpError4"});
  const auto connects = [](const std::string& line) { return line.starts_with("TCP Connect - "); };
  EXPECT_EQ(std::ranges::count_if(log.Texts(), connects), 1) << "the command's wait joins the connect under way";
  EXPECT_EQ(busyCount, 0);
}

TEST_F(UnansweredConnect, EscEndsItQuietly) {
  MakeHost(true);
  EXPECT_FALSE(host->EnsureLinkOpen(true));
  EXPECT_EQ(clock.Now(), kFirstWait);
  EXPECT_EQ(host->link().GetLinkState(), LinkState::Closed);
  EXPECT_EQ(log.Count("Connect cancelled"), 1u);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(busyCount, 0);
}

TEST_F(LinkEngineHostOverTcp, NoAnswerNamesTheHeldConnectionOnlyOnASilentOne) {
  MakeHost();
  OperationEngine engine(*host, host->engineSettings());
  host->Attach(engine);
  // The connect settles in real time; the virtual clock would not wait for it.
  ASSERT_TRUE(host->OpenQuietlyIfConfigured());
  ASSERT_TRUE(RunPostedUntil([&] { return host->linkState() == LinkState::Open; }));
  ASSERT_TRUE(engine.GetSystemInfo());
  ASSERT_TRUE(listener.Accept());
  ASSERT_GE(listener.Read(4).size(), 4u) << "the first request went out";
  ASSERT_TRUE(host->SilentTcpConnection()) << "nothing has come back yet";
  EXPECT_EQ(UnansweredMessage(Notification::OperationFailed, true).textKey, "strErrorNoResponseHeld");
  // A clock nobody asked for: heard on this connection, yet no answer to the request.
  std::vector<std::uint8_t> frame;
  EncodeFrame(test::ReplyWith({{ie::DateTime, {0, 0, 0, 0, 0, 0, 0}}}).wireBytes(), frame);
  listener.Write(frame);
  ASSERT_TRUE(RunPostedUntil([&] { return !host->SilentTcpConnection(); }));
  const auto failed = [&] { return std::ranges::count(notified, Notification::OperationFailed) > 0; };
  ASSERT_TRUE(loop.RunUntil(failed, 60s));  // virtual: the tries run out
  EXPECT_EQ(UnansweredMessage(Notification::OperationFailed, host->SilentTcpConnection()).textKey,
            "strErrorNoResponse");
  // A gateway that does not allow the request has answered, whatever the connection.
  EXPECT_EQ(UnansweredMessage(Notification::NotAllowed, true).textKey, "strErrorNotAllowed");
}

}  // namespace
}  // namespace tusko
