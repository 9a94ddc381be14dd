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

// The transport under the writer: records every chunk it is given.
class ChunkRecorder {
 public:
  void Send(std::span<const std::uint8_t> chunk) {
    std::lock_guard lock(mutex_);
    chunks_.emplace_back(chunk.begin(), chunk.end());
    total_ += chunk.size();
    changed_.notify_all();
  }
  bool WaitForBytes(std::size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kWaitLimit, [&] { return total_ >= count; });
  }
  std::vector<Bytes> Chunks() const {
    std::lock_guard lock(mutex_);
    return chunks_;
  }
  Bytes All() const {
    Bytes all;
    for (const Bytes& chunk : Chunks()) all.insert(all.end(), chunk.begin(), chunk.end());
    return all;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Bytes> chunks_;
  std::size_t total_ = 0;
};

DeviceMessage MessageOf(const Bytes& bytes) { return DeviceMessage::FromBytes(bytes); }

Bytes FrameOf(const Bytes& bytes) {
  Bytes frame;
  EncodeFrame(bytes, frame);
  return frame;
}

class LinkWriterTest : public testing::Test {
 protected:
  std::atomic<bool> stop{false};
  ChunkRecorder recorder;
  LinkWriter writer{[this](std::span<const std::uint8_t> chunk) { recorder.Send(chunk); }, stop};
};

TEST_F(LinkWriterTest, MessagesHandedOverWhileTheThreadStartsGoOutFirstAndInOrder) {
  const std::vector<Bytes> messages = {{0xA1, 0x02, 0x10, 0x00, 0x4D}, {0xA1, 0x00, 0x5F}, {0x7E, 0x7A, 0xCD}};
  ASSERT_EQ(writer.Start(), 0);
  Bytes expected;
  for (const Bytes& message : messages) {
    ASSERT_TRUE(writer.Post(MessageOf(message), message.size()));
    const Bytes frame = FrameOf(message);
    expected.insert(expected.end(), frame.begin(), frame.end());
  }
  ASSERT_TRUE(recorder.WaitForBytes(expected.size()));
  writer.RequestStop();
  writer.Join();
  EXPECT_EQ(recorder.All(), expected);
}

TEST_F(LinkWriterTest, WithoutAThreadAMessageIsRefusedAndNeverSent) {
  EXPECT_FALSE(writer.Post(MessageOf({0xA1, 0x00, 0x5F}), 3));
  ASSERT_EQ(writer.Start(), 0);
  writer.RequestStop();
  writer.Join();
  EXPECT_FALSE(writer.Exists());
  EXPECT_FALSE(writer.Post(MessageOf({0xA1, 0x00, 0x5F}), 3));
  EXPECT_TRUE(recorder.Chunks().empty());
}

TEST_F(LinkWriterTest, ALengthBeyondTheMessageBufferIsCutToIt) {
  Bytes full(kMessageBufferSize, 0x41);
  ASSERT_EQ(writer.Start(), 0);
  ASSERT_TRUE(writer.Post(MessageOf(full), 100000));
  const Bytes expected = FrameOf(full);
  ASSERT_TRUE(recorder.WaitForBytes(expected.size()));
  writer.RequestStop();
  writer.Join();
  EXPECT_EQ(recorder.All(), expected);
}

}  // namespace
}  // namespace tusko
