#include "link/FrameEncoder.h"

#include <array>

namespace tusko {

namespace {

// Writes `byte` as it travels inside a frame through `put`.
template <typename Put>
void PutEscaped(std::uint8_t byte, Put&& put) {
  switch (byte) {
    case kFrameStart:
      put(kEscape);
      put(kEscapedStart);
      break;
    case kFrameEnd:
      put(kEscape);
      put(kEscapedEnd);
      break;
    case kEscape:
      put(kEscape);
      put(kEscapedEscape);
      break;
    default:
      put(byte);
  }
}

}  // namespace

void EncodeFrame(std::span<const std::uint8_t> message, std::vector<std::uint8_t>& out) {
  out.reserve(out.size() + message.size() * kMaxEscapedByteSize + 2);
  out.push_back(kFrameStart);
  for (std::uint8_t byte : message) PutEscaped(byte, [&out](std::uint8_t b) { out.push_back(b); });
  out.push_back(kFrameEnd);
}

void EncodeFrameChunks(std::span<const std::uint8_t> message,
                       const std::function<void(std::span<const std::uint8_t>)>& sendChunk) {
  std::array<std::uint8_t, kChunkBufferSize> chunk;
  std::size_t size = 0;
  const auto put = [&chunk, &size](std::uint8_t b) { chunk[size++] = b; };
  put(kFrameStart);
  for (std::uint8_t byte : message) {
    PutEscaped(byte, put);
    if (size >= kChunkSendThreshold) {
      sendChunk({chunk.data(), size});
      size = 0;
    }
  }
  put(kFrameEnd);
  sendChunk({chunk.data(), size});
}

}  // namespace tusko
