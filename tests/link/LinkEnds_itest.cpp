// The two link ends, TCP and serial, against a far end the test plays: what
// both must do runs over each transport, then what is each one's own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "link/RecordingLog.h"
#include "link/SerialPortLink.h"
#include "link/TcpLink.h"
#include "support/LinkPeer.h"
#include "support/RefusingPort.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Bounds that only end a test that has failed.
constexpr auto kWaitLimit = 10s;
constexpr int kStepLimit = 200;
// A reader wait that only a wake can end within a test's lifetime.
constexpr std::chrono::milliseconds kWaitForever = std::chrono::hours(1);

// One link end as its reader and writer threads drive it, with the peer `far` it talks to. Each kind has
// Open, Send, ReaderStep (one pass of the reader thread: waits up to `wait` and takes what came), Close,
// StopWaits (ends the reader's waits for good, as the link control's stop does), IsOpen, and CloseLine,
// what the log says when the link end closes.
class LinkEnd {
 public:
  Bytes Received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }

 protected:
  void Take(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    received_.insert(received_.end(), bytes.begin(), bytes.end());
  }

 private:
  mutable std::mutex mutex_;
  Bytes received_;
};

// Runs reader passes on this thread until `count` bytes came.
template <typename End>
bool ReadUntil(End& end, std::size_t count) {
  for (int i = 0; i < kStepLimit && end.Received().size() < count; ++i) end.ReaderStep(kSerialReaderWaitMs);
  return end.Received().size() >= count;
}

class TcpEnd final : public LinkEnd, public LinkClosedListener {
 public:
  explicit TcpEnd(const LinkLog& log) : link(log) {}

  bool Open() {
    link.TcpConnect("127.0.0.1", far.port(), this);
    return WaitUntilOpen() && far.Accept();
  }
  // Drives the reader's wait until the connect is done.
  bool WaitUntilOpen() {
    for (int i = 0; i < kStepLimit && link.GetTcpState() == LinkState::Connecting; ++i) link.TcpWaitReady(200ms);
    return link.GetTcpState() == LinkState::Open;
  }
  std::size_t Send(const Bytes& bytes) { return link.TcpSend(bytes); }
  void ReaderStep(std::chrono::milliseconds wait) {
    if (!link.TcpWaitReady(wait)) return;
    Bytes buffer(512);
    Take(std::span(buffer).first(link.TcpReceive(buffer)));
  }
  void Close() { link.TcpDisconnect(); }
  void StopWaits() { link.StopWaits(); }
  bool IsOpen() const { return link.GetTcpState() == LinkState::Open; }
  std::string CloseLine() const { return "Disconnect"; }
  void OnLinkClosed() override { ++closes; }

  test::TcpPeer far;
  std::atomic<int> closes{0};
  TcpLink link;
};

class SerialEnd final : public LinkEnd, public SerialLinkClient {
 public:
  explicit SerialEnd(const LinkLog& log) : link(log, *this) { link.SetPort(far.slavePath(), kDefaultBaudRate); }

  bool Open() { return link.OpenPort() == PortOpenResult::Opened; }
  std::size_t Send(const Bytes& bytes) { return link.WritePort(bytes); }
  void ReaderStep(std::chrono::milliseconds wait) { link.WaitAndReadStep(wait); }
  void Close() { link.ClosePort(); }
  void StopWaits() {
    stop = true;
    link.StopWaits();
  }
  bool IsOpen() const { return link.IsPortOpen(); }
  std::string CloseLine() const { return "Close port " + far.slavePath(); }

  void OnPortOpened() override { ++opened; }
  void OnBytesReceived(std::span<const std::uint8_t> bytes) override { Take(bytes); }
  bool StopRequested() const override { return stop.load(); }
  bool RawInputLogged() const override { return rawInput.load(); }

  test::PtyPeer far;
  std::atomic<int> opened{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> rawInput{false};
  SerialPortLink link;
};

template <typename End>
class LinkEndTest : public testing::Test {
 protected:
  LinkEndTest() { log.Attach(&sink); }
  void SetUp() override { ASSERT_TRUE(end.far.Ready()) << "no loopback port or pseudo-terminal"; }

  RecordingLog sink;
  LinkLog log;
  End end{log};
};

// ---- What both link ends do ----

template <typename End>
class LinkEnds : public LinkEndTest<End> {};

struct EndName {
  template <typename End>
  static std::string GetName(int) {
    return std::is_same_v<End, TcpEnd> ? "tcp" : "pty";
  }
};
using EndKinds = testing::Types<TcpEnd, SerialEnd>;
TYPED_TEST_SUITE(LinkEnds, EndKinds, EndName);

// Bytes that a terminal would translate or swallow pass unchanged in raw mode.
TYPED_TEST(LinkEnds, MoveEveryByteValueBothWaysUnchanged) {
  auto& tested = this->end;
  ASSERT_TRUE(tested.Open());
  Bytes out(256);
  std::iota(out.begin(), out.end(), 0);
  EXPECT_EQ(tested.Send(out), out.size());
  EXPECT_EQ(tested.far.Read(out.size()), out);
  Bytes in(700);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 7);
  tested.far.Write(in);
  ASSERT_TRUE(ReadUntil(tested, in.size()));
  EXPECT_EQ(tested.Received(), in);
}

// Reader (in a wait with no end in sight), writer and main thread at once: the
// close returns, the link end is closed exactly once, a closed link moves
// nothing, and nobody touches it afterwards (the sanitizer build watches that).
TYPED_TEST(LinkEnds, CloseWhileReaderAndWriterRunIsSafeAndFinal) {
  auto& tested = this->end;
  ASSERT_TRUE(tested.Open());
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    const Bytes chunk(61, 0x55);
    while (!stop.load()) tested.Send(chunk);
  });
  std::thread reader([&] {
    while (!stop.load()) tested.ReaderStep(kWaitForever);
  });
  tested.far.Write(Bytes(2000, 0x33));
  tested.far.Read(610);  // the writer is sending
  auto closing = std::async(std::launch::async, [&] { tested.Close(); });
  EXPECT_EQ(closing.wait_for(kWaitLimit), std::future_status::ready);
  stop = true;
  tested.StopWaits();
  writer.join();
  reader.join();
  EXPECT_FALSE(tested.IsOpen());
  tested.Close();
  EXPECT_EQ(this->sink.Count(tested.CloseLine()), 1u) << "closing a closed link does nothing";
  EXPECT_EQ(tested.Send(Bytes{1}), 0u);
  if constexpr (std::is_same_v<TypeParam, TcpEnd>) {
    EXPECT_EQ(tested.closes.load(), 1) << "the close is told once";
  }
}

using TcpLinkTest = LinkEndTest<TcpEnd>;

// A refusing peer answers only after the connect has gone out.
TEST_F(TcpLinkTest, ConnectRefusedByThePeerIsError4AfterTheWait) {
  const test::RefusingPort refusing;
  EXPECT_FALSE(end.link.TcpConnect("127.0.0.1", refusing.port(), &end));
  if (end.link.GetTcpState() == LinkState::Closed) GTEST_SKIP() << "the system refused the loopback connect at once";
  EXPECT_FALSE(end.WaitUntilOpen());
  EXPECT_EQ(end.link.LastError(), TcpError::ConnectException) << "set after the close that clears it";
  EXPECT_EQ(TcpErrorDetailKey(end.link.LastError()), "strTcpError4");
  EXPECT_EQ(sink.Count("Connect exception"), 1u);
  EXPECT_EQ(end.closes.load(), 1);
}

// ---- Serial ----

using SerialPortLinkTest = LinkEndTest<SerialEnd>;

TEST_F(SerialPortLinkTest, OpensAtEveryRateResetsTheDecoderAndLogsRawInputOnlyWhenAsked) {
  ASSERT_TRUE(end.Open());
  EXPECT_EQ(end.opened.load(), 1) << "the frame decoder is reset on open";
  EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Open port " + end.far.slavePath() + " (115200 b/s)", "O.K."}));

  end.far.Write(Bytes(700, 0x21));
  ASSERT_TRUE(ReadUntil(end, 700));
  EXPECT_TRUE(sink.RawInput().empty()) << "raw input is logged only when asked";
  end.rawInput = true;
  const Bytes more = {1, 2, 3, 0x7E};
  end.far.Write(more);
  ASSERT_TRUE(ReadUntil(end, 700 + more.size()));
  EXPECT_EQ(sink.RawInput(), more);
  end.Close();

  // The setting allows rates that the termios table does not name.
  for (const std::uint32_t rate : {14400u, 128000u, 256000u}) {
    end.link.SetPort(end.far.slavePath(), rate);
    EXPECT_EQ(end.link.OpenPort(), PortOpenResult::Opened) << rate;
    end.Close();
  }
}

TEST_F(SerialPortLinkTest, ClosePortHoldsThePortClosedUntilClearedAndAFullCloseDoesNot) {
  SerialPortLink& link = end.link;
  ASSERT_TRUE(end.Open());
  link.CloseForShutdown();
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_FALSE(link.IsHeldClosed());
  ASSERT_TRUE(end.Open());
  link.ClosePort();
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_TRUE(link.IsHeldClosed());

  // Waits return at once while stopped, so the reader's reopen pass runs without its pause.
  link.StopWaits();
  const std::size_t lines = sink.Texts().size();
  link.WaitAndReadStep(kSerialReaderWaitMs);
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_EQ(sink.Texts().size(), lines) << "no reopen attempt while held closed";

  link.ClearHoldClosed();
  link.WaitAndReadStep(kSerialReaderWaitMs);
  EXPECT_TRUE(link.IsPortOpen());
  EXPECT_EQ(end.opened.load(), 3);

  end.stop = true;
  link.ClosePort();
  link.ClearHoldClosed();
  link.WaitAndReadStep(kSerialReaderWaitMs);
  EXPECT_FALSE(link.IsPortOpen()) << "a stop request ends the pass before reopening";
}

TEST_F(SerialPortLinkTest, DeviceGoneIsClosedAndReopenedOnce) {
  ASSERT_TRUE(end.Open());
  end.far.Hangup();  // as an unplugged adapter does
  for (int i = 0; i < kStepLimit && end.IsOpen(); ++i) end.ReaderStep(kSerialReaderWaitMs);
  EXPECT_FALSE(end.IsOpen());
  EXPECT_FALSE(end.link.IsHeldClosed()) << "the reader goes on trying to reopen it";
  EXPECT_EQ(sink.Count("Open port " + end.far.slavePath() + " (115200 b/s)"), 2u);
}

}  // namespace
}  // namespace tusko
