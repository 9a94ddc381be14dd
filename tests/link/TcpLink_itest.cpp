#include "link/TcpLink.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/RecordingLog.h"
#include "support/RefusingPort.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Bounds for waits on the loopback peer; they only end a test that has failed.
constexpr auto kPeerWaitLimit = 10s;
constexpr int kPeerWaitLimitMs = 10000;
constexpr int kWaitReadyTries = 50;

// A listening socket of the test's own on 127.0.0.1 at an ephemeral port.
class LoopbackPort {
 public:
  explicit LoopbackPort(int backlog = 8) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(fd_, backlog);
    socklen_t length = sizeof address;
    ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackPort() { ::close(fd_); }

  std::uint16_t port() const { return port_; }

  // The next connection, or -1 when none came within the limit.
  int Accept() const {
    pollfd wait{fd_, POLLIN, 0};
    if (::poll(&wait, 1, kPeerWaitLimitMs) != 1) return -1;
    return ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  }

 private:
  int fd_ = -1;
  std::uint16_t port_ = 0;
};

Bytes ReceiveFromLink(int peer, std::size_t count) {
  Bytes received;
  while (received.size() < count) {
    pollfd wait{peer, POLLIN, 0};
    if (::poll(&wait, 1, kPeerWaitLimitMs) != 1) break;
    std::uint8_t buffer[256];
    const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    received.insert(received.end(), buffer, buffer + n);
  }
  return received;
}

class CountingListener final : public LinkClosedListener {
 public:
  void OnLinkClosed() override { ++closes; }
  std::atomic<int> closes{0};
};

class TcpLinkTest : public testing::Test {
 protected:
  TcpLinkTest() { log.Attach(&sink); }

  // Drives the reader's wait until the connect is done, as the reader thread would.
  bool WaitUntilOpen() {
    for (int i = 0; i < kWaitReadyTries && link.GetTcpState() == LinkState::Connecting; ++i) {
      link.TcpWaitReady(200ms);
    }
    return link.GetTcpState() == LinkState::Open;
  }

  // Connects to the listener and accepts the peer's end.
  int ConnectedPeer(const LoopbackPort& listener, std::uint32_t portAbove = 0) {
    link.TcpConnect("127.0.0.1", listener.port() + portAbove, &closed);
    if (!WaitUntilOpen()) return -1;
    return listener.Accept();
  }

  RecordingLog sink;
  LinkLog log;
  TcpLink link{log};
  CountingListener closed;
};

// A port above 65535 connects to its low 16 bits.
TEST_F(TcpLinkTest, ConnectsAndLogsEachStep) {
  LoopbackPort listener;
  const int peer = ConnectedPeer(listener, 0x10000);
  ASSERT_GE(peer, 0);
  const std::string port = std::to_string(listener.port() + 0x10000);
  EXPECT_TRUE(sink.Contains("TCP Connect - 127.0.0.1:" + port));
  EXPECT_TRUE(sink.Contains("Socket OK"));
  EXPECT_TRUE(sink.Contains("Connecting to 127.0.0.1:" + port));
  EXPECT_EQ(sink.Count("Connected"), 1u);
  EXPECT_EQ(link.LastError(), TcpError::None);
  for (const auto& entry : sink.Entries()) EXPECT_EQ(entry.colour, LogColour::Link) << entry.text;
  ::close(peer);
}

TEST_F(TcpLinkTest, UnresolvableNameIsError1WithoutASocket) {
  EXPECT_FALSE(link.TcpConnect("gateway.invalid", 1002, &closed));
  EXPECT_EQ(link.GetTcpState(), LinkState::Closed);
  EXPECT_EQ(link.LastError(), TcpError::AddressNotResolved);
  EXPECT_EQ(TcpErrorDetailKey(link.LastError()), "strTcpError3");
  EXPECT_EQ(sink.Texts().back(), "Invalid address!");
  EXPECT_EQ(closed.closes.load(), 0);
}

// A multicast address is refused by the system itself, before anything is sent.
TEST_F(TcpLinkTest, ConnectRefusedAtOnceIsError3) {
  EXPECT_FALSE(link.TcpConnect("224.0.0.1", 1002, &closed));
  EXPECT_EQ(link.GetTcpState(), LinkState::Closed);
  EXPECT_EQ(link.LastError(), TcpError::ConnectFailed);
  EXPECT_EQ(TcpErrorDetailKey(link.LastError()), "strTcpError4");
  EXPECT_EQ(sink.Texts().back(), "connect() error - " + std::to_string(ENETUNREACH));
  EXPECT_EQ(closed.closes.load(), 0);
}

// A refusing peer answers only after the connect has gone out.
TEST_F(TcpLinkTest, ConnectRefusedByThePeerIsError4AfterTheWait) {
  const test::RefusingPort refusing;
  EXPECT_FALSE(link.TcpConnect("127.0.0.1", refusing.port(), &closed));
  if (link.GetTcpState() == LinkState::Closed) GTEST_SKIP() << "the system refused the loopback connect at once";
  EXPECT_FALSE(WaitUntilOpen());
  EXPECT_EQ(link.GetTcpState(), LinkState::Closed);
  EXPECT_EQ(link.LastError(), TcpError::ConnectException) << "set after the close that clears it";
  EXPECT_EQ(TcpErrorDetailKey(link.LastError()), "strTcpError4");
  EXPECT_TRUE(sink.Contains("Connect exception"));
  EXPECT_EQ(closed.closes.load(), 1);
}

// A listener whose accept queue is full drops further connection requests,
// which keeps the next connect under way.
TEST_F(TcpLinkTest, ConnectUnderWayIsCompletedByTheReadersWait) {
  LoopbackPort listener(0);
  TcpLink filler(log);
  ASSERT_TRUE(filler.TcpConnect("127.0.0.1", listener.port(), nullptr) ||
              (filler.TcpWaitReady(kPeerWaitLimit), filler.GetTcpState() == LinkState::Open));

  link.TcpConnect("127.0.0.1", listener.port(), &closed);
  if (link.GetTcpState() != LinkState::Connecting) GTEST_SKIP() << "the system completed the connect at once";
  EXPECT_FALSE(link.TcpWaitReady(10ms));
  EXPECT_EQ(link.GetTcpState(), LinkState::Connecting);
  const auto linesBefore = sink.Texts().size();
  EXPECT_FALSE(link.TcpConnect("127.0.0.1", listener.port(), &closed)) << "a second connect starts nothing";
  EXPECT_EQ(sink.Texts().size(), linesBefore);

  // Room in the queue: the retried connection request gets through.
  const int first = listener.Accept();
  ASSERT_GE(first, 0);
  sink.Clear();
  EXPECT_TRUE(WaitUntilOpen());
  EXPECT_EQ(sink.Texts(), std::vector<std::string>{"Connected"});
  EXPECT_EQ(closed.closes.load(), 0);
  ::close(first);
}

TEST_F(TcpLinkTest, DisconnectWakesTheReadersWaitAndAClosedLinkMovesNothing) {
  LoopbackPort listener;
  const int peer = ConnectedPeer(listener);
  ASSERT_GE(peer, 0);
  auto reader = std::async(std::launch::async, [&] { return link.TcpWaitReady(std::chrono::hours(1)); });
  link.TcpDisconnect();
  ASSERT_EQ(reader.wait_for(kPeerWaitLimit), std::future_status::ready);
  EXPECT_FALSE(reader.get());
  EXPECT_EQ(closed.closes.load(), 1);

  link.TcpDisconnect();
  EXPECT_EQ(closed.closes.load(), 1) << "closing a closed link notifies nobody";
  EXPECT_EQ(sink.Count("Disconnect"), 1u);
  Bytes buffer(512);
  EXPECT_EQ(link.TcpSend(Bytes{1}), 0u);
  EXPECT_EQ(link.TcpReceive(buffer), 0u);
  ::close(peer);
}

// Reader, writer and main thread at once: the socket is closed exactly once
// and nobody touches it afterwards (the sanitizer build watches the rest).
TEST_F(TcpLinkTest, CloseWhileReaderAndWriterRunIsSafe) {
  LoopbackPort listener;
  const int peer = ConnectedPeer(listener);
  ASSERT_GE(peer, 0);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    const Bytes chunk(61, 0x55);
    while (!stop.load()) link.TcpSend(chunk);
  });
  std::thread reader([&] {
    Bytes buffer(512);
    while (!stop.load()) {
      if (link.TcpWaitReady(kTcpReaderWaitMs)) link.TcpReceive(buffer);
    }
  });
  const Bytes echo(100, 0x33);
  for (int i = 0; i < 20; ++i) ::send(peer, echo.data(), echo.size(), MSG_NOSIGNAL);
  ReceiveFromLink(peer, 610);  // the writer is sending
  link.TcpDisconnect();
  stop = true;
  link.StopWaits();
  writer.join();
  reader.join();
  EXPECT_EQ(link.GetTcpState(), LinkState::Closed);
  EXPECT_EQ(closed.closes.load(), 1);
  ::close(peer);
}

}  // namespace
}  // namespace tusko
