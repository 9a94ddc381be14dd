// The link's framing: frames and their chunks as the encoder makes them, the decoder's reading of a byte
// stream, and the writer thread that sends the frames.
#include "link/FrameDecoder.h"
#include "link/FrameEncoder.h"
#include "link/LinkWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "support/RowName.h"

namespace tusko {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

Bytes Encoded(const Bytes& message) {
  Bytes frame;
  EncodeFrame(message, frame);
  return frame;
}

// Feeds a byte stream and collects every message it delivers. A delivered buffer is zero beyond the
// message's length, whatever an earlier frame left in the decoder.
std::vector<Bytes> FeedAll(FrameDecoder& decoder, const Bytes& stream) {
  std::vector<Bytes> delivered;
  for (std::uint8_t byte : stream) {
    if (auto frame = decoder.Feed(byte)) {
      const auto& buffer = frame->message.buffer();
      const auto end = buffer.begin() + static_cast<long>(frame->length);
      delivered.emplace_back(buffer.begin(), end);
      EXPECT_TRUE(std::all_of(end, buffer.end(), [](std::uint8_t b) { return b == 0; })) << "beyond the length";
    }
  }
  return delivered;
}

std::vector<Bytes> DecodeAll(const Bytes& stream) {
  FrameDecoder decoder;
  return FeedAll(decoder, stream);
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(FrameEncoder, FramesAndEscapesTheThreeSpecialValues) {
  EXPECT_EQ(Encoded({0xA1, 0x7E, 0x7A, 0xCD, 0x01, 0x10, 0x00}),
            (Bytes{0x7E, 0xA1, 0xCD, 0x01, 0xCD, 0x10, 0xCD, 0xCD, 0x01, 0x10, 0x00, 0x7A}));
  EXPECT_EQ(Encoded({}), (Bytes{0x7E, 0x7A}));
}

struct DecodeRow {
  std::string name;
  Bytes stream;
  std::vector<Bytes> delivered;
};

class FrameDecoderStream : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(FrameDecoderStream, DeliversExactlyTheseMessages) { EXPECT_EQ(DecodeAll(GetParam().stream), GetParam().delivered); }

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameDecoderStream,
    ::testing::Values(
        DecodeRow{"emptyFrame", {0x7E, 0x7A}, {Bytes{}}},
        DecodeRow{"escapeThenOtherByteStoredAsIs", {0x7E, 0xCD, 0x41, 0x7A}, {{0x41}}},
        DecodeRow{"plainOneAndTen", {0x7E, 0x01, 0x10, 0x00, 0x7A}, {{0x01, 0x10, 0x00}}},
        DecodeRow{"escapeClearedAfterUse", {0x7E, 0xCD, 0x41, 0x01, 0x7A}, {{0x41, 0x01}}},
        DecodeRow{"secondStartRestarts", {0x7E, 0x11, 0x22, 0x7E, 0x33, 0x7A}, {{0x33}}},
        DecodeRow{"abandonedLongFrameLeavesNothing", Join({{0x7E}, Bytes(100, 0x33), {0x7E, 0xA1, 0x00, 0x5F, 0x7A}}),
                  {{0xA1, 0x00, 0x5F}}},
        DecodeRow{"startClearsArmedEscape", {0x7E, 0xCD, 0x7E, 0x01, 0x7A}, {{0x01}}},
        DecodeRow{"endWhileEscapeArmed", {0x7E, 0x44, 0xCD, 0x7A}, {{0x44}}},
        DecodeRow{"bytesOutsideIgnored", {0x11, 0xCD, 0x7A, 0x7E, 0x22, 0x7A, 0x33, 0x01, 0x7A}, {{0x22}}},
        DecodeRow{"twoFrames", {0x7E, 0x01, 0x7A, 0x7E, 0x02, 0x7A}, {{0x01}, {0x02}}},
        DecodeRow{"longest257Escaped", Encoded(Bytes(kMaxReceivedLength, kEscape)), {Bytes(kMaxReceivedLength, kEscape)}},
        // The 258th stored byte arrives as an escape pair.
        DecodeRow{"escaped258thDropped", Join({{0x7E}, Bytes(257, 0x42), {0xCD, 0x01, 0x7A}}), {}},
        // A frame reaching 258 stored bytes is dropped, the rest ignored up to the next start.
        DecodeRow{"258DroppedUntilTheNextStart", Join({{0x7E}, Bytes(258, 0x42), {0x43, 0x7A, 0x7E, 0x09, 0x7A}}), {{0x09}}}),
    test::RowName<DecodeRow>);

// One tick is one period of the link timer; a byte starts the count anew.
TEST(FrameDecoder, DropsAFrameIdleForThreeTicksAndSaysSoOnce) {
  FrameDecoder decoder;
  EXPECT_FALSE(decoder.Tick()) << "no frame under way";
  FeedAll(decoder, {0x7E, 0xA1});
  EXPECT_FALSE(decoder.Tick());
  EXPECT_FALSE(decoder.Tick());
  FeedAll(decoder, {0x01});
  EXPECT_FALSE(decoder.Tick());
  EXPECT_FALSE(decoder.Tick());
  EXPECT_TRUE(decoder.Tick());
  EXPECT_FALSE(decoder.InFrame());
  EXPECT_FALSE(decoder.Tick());
  EXPECT_TRUE(FeedAll(decoder, {0x02, 0x7A}).empty()) << "the rest of the dropped frame is ignored";
  EXPECT_EQ(FeedAll(decoder, {0x7E, 0x03, 0x7A}), std::vector<Bytes>{{0x03}});
}

TEST(FrameChunks, ChunksHold60Or61BytesExceptTheLastAndJoinToTheFrame) {
  // Start byte plus 59 plain bytes fills the first chunk exactly; the end byte goes alone.
  for (const Bytes& message : {Bytes{}, Bytes(59, 0x20), Bytes(60, 0x20), Bytes(258, kFrameStart)}) {
    SCOPED_TRACE(message.size());
    std::vector<Bytes> chunks;
    EncodeFrameChunks(message, [&chunks](std::span<const std::uint8_t> chunk) { chunks.emplace_back(chunk.begin(), chunk.end()); });
    ASSERT_FALSE(chunks.empty());
    Bytes joined;
    for (std::size_t i = 0; i < chunks.size(); ++i) {
      EXPECT_LE(chunks[i].size(), kMaxChunkSize) << "chunk " << i;
      EXPECT_TRUE(i + 1 == chunks.size() || chunks[i].size() >= kChunkSendThreshold) << "chunk " << i;
      joined.insert(joined.end(), chunks[i].begin(), chunks[i].end());
    }
    EXPECT_EQ(joined, Encoded(message));
  }
  // Start byte + 58 plain bytes = 59, then an escaped byte brings it to 61.
  Bytes straddling(58, 0x20);
  straddling.push_back(kEscape);
  std::vector<std::size_t> sizes;
  EncodeFrameChunks(straddling, [&sizes](std::span<const std::uint8_t> chunk) { sizes.push_back(chunk.size()); });
  EXPECT_EQ(sizes, (std::vector<std::size_t>{61, 1}));
}

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
