#include "link/SerialPortLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include "link/RecordingLog.h"
#include "support/RowName.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Bounds for waits on the far end; they only end a test that has failed.
constexpr auto kWaitLimit = 10s;
constexpr int kWaitLimitMs = 10000;
constexpr int kReaderStepLimit = 200;
// A reader wait that only a wake can end within a test's lifetime.
constexpr std::chrono::milliseconds kWaitForever = std::chrono::hours(1);

// A pseudo-terminal pair: the link opens the slave path, the test plays the
// gateway on the master.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0 &&
        ::ptsname_r(master_, name, sizeof name) == 0) {
      slavePath_ = name;
    }
  }
  ~PseudoTerminal() { CloseMaster(); }

  bool IsReady() const { return !slavePath_.empty(); }
  const std::string& slavePath() const { return slavePath_; }

  void Write(const Bytes& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  }

  Bytes Read(std::size_t count) const {
    Bytes received;
    while (received.size() < count) {
      pollfd wait{master_, POLLIN, 0};
      if (::poll(&wait, 1, kWaitLimitMs) != 1) break;
      std::uint8_t buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      received.insert(received.end(), buffer, buffer + n);
    }
    return received;
  }

  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

class FakeLinkControl final : public SerialLinkClient {
 public:
  void OnPortOpened() override { ++opened; }
  void OnBytesReceived(std::span<const std::uint8_t> bytes) override {
    std::lock_guard lock(mutex_);
    received_.insert(received_.end(), bytes.begin(), bytes.end());
    largestChunk_ = std::max(largestChunk_, bytes.size());
    changed_.notify_all();
  }
  bool StopRequested() const override { return stop.load(); }
  bool RawInputLogged() const override { return rawInput.load(); }

  Bytes Received() const {
    std::lock_guard lock(mutex_);
    return received_;
  }
  std::size_t LargestChunk() const {
    std::lock_guard lock(mutex_);
    return largestChunk_;
  }
  // For bytes that another thread reads.
  bool WaitForBytes(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return received_.size() >= count; });
  }

  std::atomic<int> opened{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> rawInput{false};

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Bytes received_;
  std::size_t largestChunk_ = 0;
};

class SerialPortLinkTest : public testing::Test {
 protected:
  SerialPortLinkTest() { log.Attach(&sink); }

  void SetUp() override {
    ASSERT_TRUE(pty.IsReady()) << "no pseudo-terminal";
    link.SetPort(pty.slavePath(), kDefaultBaudRate);
  }

  // Runs reader steps as the reader thread would until `count` bytes came.
  bool ReadUntil(std::size_t count) {
    for (int i = 0; i < kReaderStepLimit && client.Received().size() < count; ++i) {
      link.WaitAndReadStep(kSerialReaderWaitMs);
    }
    return client.Received().size() >= count;
  }

  RecordingLog sink;
  LinkLog log;
  FakeLinkControl client;
  SerialPortLink link{log, client};
  PseudoTerminal pty;
};

std::string ErrorLine(const char* what, int error) {
  return std::string(what) + "Error " + std::to_string(error) + " - " + SystemErrorText(error);
}

TEST_F(SerialPortLinkTest, OpensAPseudoTerminalAndMovesBytesBothWays) {
  ASSERT_EQ(link.OpenPort(), PortOpenResult::Opened);
  EXPECT_TRUE(link.IsPortOpen());
  EXPECT_EQ(client.opened.load(), 1) << "the frame decoder is reset on open";
  EXPECT_EQ(sink.Texts(), (std::vector<std::string>{"Open port " + pty.slavePath() + " (115200 b/s)", "O.K."}));

  // Bytes that a terminal would translate or swallow pass unchanged in raw mode.
  const Bytes out = {0x7E, 0x0A, 0x0D, 0x03, 0x11, 0x13, 0xFF, 0x7A};
  EXPECT_EQ(link.WritePort(out), out.size());
  EXPECT_EQ(pty.Read(out.size()), out);

  Bytes in(700);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<std::uint8_t>(i * 7);
  pty.Write(in);
  ASSERT_TRUE(ReadUntil(in.size()));
  EXPECT_EQ(client.Received(), in);
  EXPECT_LE(client.LargestChunk(), kSerialReadChunkBytes);
  EXPECT_TRUE(sink.RawInput().empty()) << "raw input is logged only when asked";

  client.rawInput = true;
  const Bytes more = {1, 2, 3, 0x7E};
  pty.Write(more);
  ASSERT_TRUE(ReadUntil(in.size() + more.size()));
  EXPECT_EQ(sink.RawInput(), more);
}

struct OpenFailureRow {
  const char* name;
  const char* path;  // empty: the test's pseudo-terminal
  std::uint32_t baudRate;
  PortOpenResult result;
  const char* what;  // prefix of the logged error line
  int error;
};

class SerialPortLinkOpenFailures : public SerialPortLinkTest, public testing::WithParamInterface<OpenFailureRow> {};

TEST_P(SerialPortLinkOpenFailures, GiveTheirResultAndLogTheSystemError) {
  const OpenFailureRow& row = GetParam();
  link.SetPort(*row.path != '\0' ? row.path : pty.slavePath(), row.baudRate);
  EXPECT_EQ(link.OpenPort(), row.result);
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_EQ(client.opened.load(), 0);
  EXPECT_EQ(sink.Texts().back(), ErrorLine(row.what, row.error));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SerialPortLinkOpenFailures,
    testing::Values(
        OpenFailureRow{"MissingDevice", "/dev/tusko-no-such-port", 115200, PortOpenResult::NotFound, "", ENOENT},
        OpenFailureRow{"UnsupportedBaudRate", "", 12345, PortOpenResult::LineSettingsRefused, "SetCommState ", EINVAL},
        OpenFailureRow{"NotATerminal", "/dev/null", 115200, PortOpenResult::LineSettingsRefused, "SetCommState ", ENOTTY},
        OpenFailureRow{"Directory", "/tmp", 115200, PortOpenResult::OtherError, "", EISDIR}),
    test::RowName<OpenFailureRow>);

TEST_F(SerialPortLinkTest, PortHeldByAnotherIsAccessDenied) {
  ASSERT_EQ(link.OpenPort(), PortOpenResult::Opened);
  FakeLinkControl otherClient;
  SerialPortLink other(log, otherClient);
  other.SetPort(pty.slavePath(), kDefaultBaudRate);
  EXPECT_EQ(other.OpenPort(), PortOpenResult::AccessDenied);
  EXPECT_EQ(sink.Texts().back(), ErrorLine("", EBUSY));

  link.ClosePort();
  EXPECT_EQ(other.OpenPort(), PortOpenResult::Opened) << "free again once closed";
}

TEST_F(SerialPortLinkTest, ClosePortHoldsThePortClosedUntilClearedAndAFullCloseDoesNot) {
  ASSERT_EQ(link.OpenPort(), PortOpenResult::Opened);
  link.CloseForShutdown();
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_FALSE(link.IsHeldClosed());
  EXPECT_EQ(sink.Texts().back(), "Close port " + pty.slavePath());

  ASSERT_EQ(link.OpenPort(), PortOpenResult::Opened);
  link.ClosePort();
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_TRUE(link.IsHeldClosed());
  EXPECT_EQ(sink.Texts().back(), "Close port " + pty.slavePath());

  // Waits return at once while stopped, so the reader's reopen pass runs without its pause.
  link.StopWaits();
  sink.Clear();
  link.WaitAndReadStep(kSerialReaderWaitMs);
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_TRUE(sink.Texts().empty()) << "no reopen attempt while held closed";

  link.ClearHoldClosed();
  link.WaitAndReadStep(kSerialReaderWaitMs);
  EXPECT_TRUE(link.IsPortOpen());
  EXPECT_EQ(client.opened.load(), 3);

  client.stop = true;
  link.ClosePort();
  link.ClearHoldClosed();
  link.WaitAndReadStep(kSerialReaderWaitMs);
  EXPECT_FALSE(link.IsPortOpen()) << "a stop request ends the pass before reopening";
}

TEST_F(SerialPortLinkTest, CloseWakesTheWaitingReader) {
  ASSERT_EQ(link.OpenPort(), PortOpenResult::Opened);
  std::thread reader([&] {
    while (!client.stop.load()) link.WaitAndReadStep(kWaitForever);
  });
  // Once a byte has come through, the reader is back in its wait (or about to be).
  pty.Write(Bytes{0x42});
  EXPECT_TRUE(client.WaitForBytes(1));

  auto closing = std::async(std::launch::async, [&] { link.ClosePort(); });
  ASSERT_EQ(closing.wait_for(kWaitLimit), std::future_status::ready);
  EXPECT_FALSE(link.IsPortOpen());

  client.stop = true;
  link.StopWaits();
  reader.join();
  EXPECT_EQ(client.Received(), Bytes{0x42});
}

TEST_F(SerialPortLinkTest, WriterCutShortByACloseReturnsWhatItWrote) {
  ASSERT_EQ(link.OpenPort(), PortOpenResult::Opened);
  // Nobody reads the master: the writer fills the queues and waits for room.
  auto writing = std::async(std::launch::async, [&] { return link.WritePort(Bytes(1 << 20, 0x55)); });
  ASSERT_EQ(writing.wait_for(50ms), std::future_status::timeout) << "the queues took a whole megabyte";
  link.ClosePort();
  ASSERT_EQ(writing.wait_for(kWaitLimit), std::future_status::ready);
  EXPECT_LT(writing.get(), std::size_t{1} << 20);
  EXPECT_EQ(sink.CountStartingWith("Write Error"), 0u) << "a write cut short by a close is no error";
}

TEST_F(SerialPortLinkTest, DeviceGoneIsClosedAndReopenedOnce) {
  ASSERT_EQ(link.OpenPort(), PortOpenResult::Opened);
  pty.CloseMaster();  // the far end hangs up, as an unplugged adapter does
  for (int i = 0; i < kReaderStepLimit && link.IsPortOpen(); ++i) link.WaitAndReadStep(kSerialReaderWaitMs);
  EXPECT_FALSE(link.IsPortOpen());
  EXPECT_FALSE(link.IsHeldClosed()) << "the reader goes on trying to reopen it";
  const auto texts = sink.Texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Open port " + pty.slavePath() + " (115200 b/s)"), 2);
}

}  // namespace
}  // namespace tusko
