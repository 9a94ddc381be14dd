#include "link/FrameDecoder.h"
#include "link/FrameEncoder.h"

#include <gtest/gtest.h>

namespace tusko {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Encoded(const Bytes& message) {
  Bytes frame;
  EncodeFrame(message, frame);
  return frame;
}

Bytes MessageBytes(const ReceivedFrame& frame) {
  const auto& buffer = frame.message.buffer();
  return {buffer.begin(), buffer.begin() + static_cast<long>(frame.length)};
}

// Feeds a byte stream and collects every message it delivers.
std::vector<Bytes> FeedAll(FrameDecoder& decoder, const Bytes& stream) {
  std::vector<Bytes> delivered;
  for (std::uint8_t byte : stream) {
    if (auto frame = decoder.Feed(byte)) delivered.push_back(MessageBytes(*frame));
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

// Every special value at every position of a sealed message: type, length,
// element header, data and the checksum itself.
TEST(FrameCodec, SpecialValueAtEveryPositionRoundTrips) {
  constexpr std::size_t kChecksumOffset = 12;
  for (std::uint8_t special : {kFrameStart, kFrameEnd, kEscape}) {
    for (std::size_t position = 0; position <= kChecksumOffset; ++position) {
      auto message = CreateMessage(MessageType::Reply);
      AddElement(message, ie::ConfigReadData, Bytes(8, 0x20));
      SealMessage(message);
      auto& buffer = message.buffer();
      ASSERT_EQ(message.wireSize(), kChecksumOffset + 1);
      if (position == kChecksumOffset) {
        // Shift a data byte so that the sealed checksum comes out as the special value.
        buffer[4] = static_cast<std::uint8_t>(buffer[4] + buffer[kChecksumOffset] - special);
        SealMessage(message);
        ASSERT_EQ(buffer[kChecksumOffset], special);
      } else {
        buffer[position] = special;
      }
      const Bytes wire(buffer.begin(), buffer.begin() + kChecksumOffset + 1);
      const Bytes frame = Encoded(wire);
      // Only the frame's own first and last bytes may carry the start and end values.
      for (std::size_t i = 1; i + 1 < frame.size(); ++i) {
        ASSERT_NE(frame[i], kFrameStart) << "special " << int(special) << " at " << position;
        ASSERT_NE(frame[i], kFrameEnd) << "special " << int(special) << " at " << position;
      }
      EXPECT_EQ(frame.size(), wire.size() + 3) << "one escape pair";
      EXPECT_EQ(DecodeAll(frame), std::vector<Bytes>{wire}) << "special " << int(special) << " at " << position;
    }
  }
}

TEST(FrameCodec, DeliveredMessageIsZeroBeyondItsLength) {
  FrameDecoder decoder;
  // A long abandoned frame leaves bytes in the decoder; the next short message must not show them.
  FeedAll(decoder, Join({{0x7E}, Bytes(100, 0x33), {0x7E}}));
  std::optional<ReceivedFrame> frame;
  for (std::uint8_t byte : Bytes{0xA1, 0x00, 0x5F, 0x7A}) frame = decoder.Feed(byte);
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->length, 3u);
  for (std::size_t i = 3; i < kMessageBufferSize; ++i) ASSERT_EQ(frame->message.buffer()[i], 0) << i;
  EXPECT_TRUE(IsChecksumValid(frame->message));
}

struct DecodeRow {
  const char* name;
  Bytes stream;
  std::vector<Bytes> delivered;
};

class FrameDecoderStream : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(FrameDecoderStream, DeliversExactlyTheseMessages) {
  EXPECT_EQ(DecodeAll(GetParam().stream), GetParam().delivered);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameDecoderStream,
    ::testing::Values(
        DecodeRow{"emptyFrame", {0x7E, 0x7A}, {Bytes{}}},
        DecodeRow{"escapeThenOtherByteStoredAsIs", {0x7E, 0xCD, 0x41, 0x7A}, {{0x41}}},
        DecodeRow{"escapedSpecials", {0x7E, 0xCD, 0x01, 0xCD, 0x10, 0xCD, 0xCD, 0x7A}, {{0x7E, 0x7A, 0xCD}}},
        DecodeRow{"plainOneAndTen", {0x7E, 0x01, 0x10, 0x00, 0x7A}, {{0x01, 0x10, 0x00}}},
        DecodeRow{"escapeClearedAfterUse", {0x7E, 0xCD, 0x41, 0x01, 0x7A}, {{0x41, 0x01}}},
        DecodeRow{"secondStartRestarts", {0x7E, 0x11, 0x22, 0x7E, 0x33, 0x7A}, {{0x33}}},
        DecodeRow{"startClearsArmedEscape", {0x7E, 0xCD, 0x7E, 0x01, 0x7A}, {{0x01}}},
        DecodeRow{"endWhileEscapeArmed", {0x7E, 0x44, 0xCD, 0x7A}, {{0x44}}},
        DecodeRow{"bytesOutsideIgnored", {0x11, 0xCD, 0x7A, 0x7E, 0x22, 0x7A, 0x33, 0x01, 0x7A}, {{0x22}}},
        DecodeRow{"endWithoutStart", {0x7A}, {}},
        DecodeRow{"twoFrames", {0x7E, 0x01, 0x7A, 0x7E, 0x02, 0x7A}, {{0x01}, {0x02}}},
        DecodeRow{"longest257", Encoded(Bytes(kMaxReceivedLength, 0x42)), {Bytes(kMaxReceivedLength, 0x42)}},
        DecodeRow{"longest257Escaped", Encoded(Bytes(kMaxReceivedLength, kEscape)), {Bytes(kMaxReceivedLength, kEscape)}},
        // The 258th stored byte arrives as an escape pair.
        DecodeRow{"escaped258thDropped", Join({{0x7E}, Bytes(257, 0x42), {0xCD, 0x01, 0x7A}}), {}},
        // A frame reaching 258 stored bytes is dropped, the rest ignored up to the next start.
        DecodeRow{"258DroppedUntilTheNextStart", Join({{0x7E}, Bytes(258, 0x42), {0x43, 0x7A, 0x7E, 0x09, 0x7A}}), {{0x09}}},
        DecodeRow{"largestMessageDropped", Join({Encoded(Bytes(kMessageBufferSize, 0x7E)), {0x7E, 0x09, 0x7A}}), {{0x09}}}),
    [](const auto& row) { return std::string(row.param.name); });

// Stall timing: one tick is one period of the 1000 ms link timer.
struct StallRow {
  const char* name;
  int ticksBeforePause;  // ticks while the frame is under way, before its last bytes
  int ticksAfterByte;    // ticks after one more byte arrived
  bool delivered;
};

class FrameDecoderStall : public ::testing::TestWithParam<StallRow> {};

TEST_P(FrameDecoderStall, DropsOnlyAFrameIdleForThreeTicks) {
  const auto& row = GetParam();
  FrameDecoder decoder;
  FeedAll(decoder, {0x7E, 0xA1});
  bool dropped = false;
  for (int i = 0; i < row.ticksBeforePause; ++i) dropped |= decoder.Tick();
  FeedAll(decoder, {0x00});
  for (int i = 0; i < row.ticksAfterByte; ++i) dropped |= decoder.Tick();
  const auto delivered = FeedAll(decoder, {0x5F, 0x7A});
  EXPECT_EQ(dropped, !row.delivered);
  EXPECT_EQ(delivered.size(), row.delivered ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameDecoderStall,
    ::testing::Values(StallRow{"noPause", 0, 0, true},
                      // A 1.5 s pause spans one tick.
                      StallRow{"pause1500ms_oneTick", 1, 0, true},
                      StallRow{"twoTicks", 0, 2, true},
                      StallRow{"byteResetsIdleCount", 2, 2, true},
                      StallRow{"threeTicks", 0, 3, false},
                      StallRow{"threeTicksBeforeLastBytes", 3, 0, false}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FrameDecoder, StallReportedOnceAndNeverOutsideAFrame) {
  FrameDecoder decoder;
  EXPECT_FALSE(decoder.Tick());
  FeedAll(decoder, {0x7E, 0x01});
  EXPECT_FALSE(decoder.Tick());
  EXPECT_FALSE(decoder.Tick());
  EXPECT_TRUE(decoder.Tick());
  EXPECT_FALSE(decoder.InFrame());
  EXPECT_FALSE(decoder.Tick());
  // After the drop the rest of the frame is ignored until the next start.
  EXPECT_TRUE(FeedAll(decoder, {0x02, 0x7A}).empty());
  EXPECT_EQ(FeedAll(decoder, {0x7E, 0x03, 0x7A}), std::vector<Bytes>{{0x03}});
}

struct ChunkRow {
  const char* name;
  Bytes message;
};

class FrameChunks : public ::testing::TestWithParam<ChunkRow> {};

TEST_P(FrameChunks, ChunksHold60Or61BytesExceptTheLastAndJoinToTheFrame) {
  const auto& message = GetParam().message;
  std::vector<Bytes> chunks;
  EncodeFrameChunks(message, [&chunks](std::span<const std::uint8_t> chunk) {
    chunks.emplace_back(chunk.begin(), chunk.end());
  });
  ASSERT_FALSE(chunks.empty());
  Bytes joined;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    EXPECT_LE(chunks[i].size(), kMaxChunkSize) << "chunk " << i;
    if (i + 1 < chunks.size()) {
      EXPECT_GE(chunks[i].size(), kChunkSendThreshold) << "chunk " << i;
    }
    joined.insert(joined.end(), chunks[i].begin(), chunks[i].end());
  }
  EXPECT_EQ(chunks.back().back(), kFrameEnd);
  EXPECT_EQ(joined, Encoded(message));
}

Bytes Alternating(std::size_t size) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = (i % 2) ? kFrameStart : 0x20;
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FrameChunks,
    ::testing::Values(ChunkRow{"empty", {}},
                      // Start byte plus 59 plain bytes fills the first chunk exactly; the end byte goes alone.
                      ChunkRow{"plain59", Bytes(59, 0x20)}, ChunkRow{"plain60", Bytes(60, 0x20)},
                      ChunkRow{"allEscaped", Bytes(258, kFrameStart)}, ChunkRow{"alternating", Alternating(258)},
                      ChunkRow{"dataBlock208", Bytes(208, 0x55)}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(FrameChunks, EscapePairStraddlingTheThresholdMakesA61ByteChunk) {
  std::vector<std::size_t> sizes;
  // Start byte + 58 plain bytes = 59, then an escaped byte brings it to 61.
  Bytes message(58, 0x20);
  message.push_back(kEscape);
  EncodeFrameChunks(message, [&sizes](std::span<const std::uint8_t> chunk) { sizes.push_back(chunk.size()); });
  EXPECT_EQ(sizes, (std::vector<std::size_t>{61, 1}));
}

}  // namespace
}  // namespace tusko
