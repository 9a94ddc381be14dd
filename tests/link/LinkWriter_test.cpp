#include "link/LinkWriter.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "link/FrameEncoder.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// Only ends a test that has already failed.
constexpr auto kWaitLimit = 10s;

// A writer whose transport records every byte it is given.
class LinkWriterTest : public testing::Test {
 protected:
  // Waits until `frames` went out, then stops the writer; the bytes sent.
  Bytes SentAfterStop(const Bytes& frames) {
    {
      std::unique_lock lock(mutex);
      EXPECT_TRUE(changed.wait_for(lock, kWaitLimit, [&] { return sent.size() >= frames.size(); }));
    }
    writer.RequestStop();
    writer.Join();
    return sent;
  }

  std::mutex mutex;
  std::condition_variable changed;
  Bytes sent;
  std::atomic<bool> stop{false};
  LinkWriter writer{[this](std::span<const std::uint8_t> chunk) {
                      std::lock_guard lock(mutex);
                      sent.insert(sent.end(), chunk.begin(), chunk.end());
                      changed.notify_all();
                    },
                    stop};
};

// Without a writer thread, before its start or after its stop, a message is refused and never sent.
TEST_F(LinkWriterTest, MessagesGoOutInOrderOnlyWhileTheThreadRunsAndALengthBeyondTheBufferIsCutToIt) {
  const DeviceMessage refused = DeviceMessage::FromBytes(Bytes{0xA1, 0x00, 0x5F});
  EXPECT_FALSE(writer.Post(refused, 3));
  const std::vector<Bytes> messages = {{0xA1, 0x02, 0x10, 0x00, 0x4D}, {0x7E, 0x7A, 0xCD}, Bytes(kMessageBufferSize, 0x41)};
  ASSERT_EQ(writer.Start(), 0);
  Bytes expected;
  for (const Bytes& message : messages) {
    ASSERT_TRUE(writer.Post(DeviceMessage::FromBytes(message), message.size() == kMessageBufferSize ? 100000 : message.size()));
    EncodeFrame(message, expected);
  }
  EXPECT_EQ(SentAfterStop(expected), expected);
  EXPECT_FALSE(writer.Exists());
  EXPECT_FALSE(writer.Post(refused, 3));
  EXPECT_EQ(sent, expected);
}

}  // namespace
}  // namespace tusko
