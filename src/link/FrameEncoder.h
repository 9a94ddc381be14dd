#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "link/FrameFormat.h"

namespace tusko {

// The link writer fills a chunk buffer of this size and sends it once it holds
// kChunkSendThreshold bytes or more; one escaped byte adds at most two, so no
// chunk exceeds kMaxChunkSize.
inline constexpr std::size_t kChunkBufferSize = 64;
inline constexpr std::size_t kChunkSendThreshold = 60;
inline constexpr std::size_t kMaxEscapedByteSize = 2;
inline constexpr std::size_t kMaxChunkSize = kChunkSendThreshold - 1 + kMaxEscapedByteSize;
static_assert(kMaxChunkSize <= kChunkBufferSize);

// Appends the whole frame of `message` (start byte, escaped bytes, end byte) to `out`.
void EncodeFrame(std::span<const std::uint8_t> message, std::vector<std::uint8_t>& out);

// The same frame cut into the chunks the link writer sends one after another:
// every chunk but the last holds 60 or 61 bytes, the last one ends with the end byte.
void EncodeFrameChunks(std::span<const std::uint8_t> message,
                       const std::function<void(std::span<const std::uint8_t>)>& sendChunk);

}  // namespace tusko
