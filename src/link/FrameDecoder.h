#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/FrameFormat.h"
#include "protocol/DeviceMessage.h"

namespace tusko {

// Link-timer ticks without a byte after which a half-received frame is dropped.
inline constexpr std::uint8_t kStallTicks = 3;
// A frame is abandoned when it reaches this many stored bytes, so the longest
// message delivered is one byte shorter.
inline constexpr std::size_t kFrameStoreLimit = kMessageBufferSize;
inline constexpr std::size_t kMaxReceivedLength = kFrameStoreLimit - 1;

struct ReceivedFrame {
  DeviceMessage message;  // the bytes received; the rest of the buffer is zero
  std::size_t length;     // bytes between start and end byte after unescaping
};

// Cuts the received byte stream back into messages. Driven one byte at a time
// by the reader and one tick at a time by the link timer; the caller supplies
// the locking between the two.
class FrameDecoder {
 public:
  // A complete frame when `byte` is the end byte of one.
  std::optional<ReceivedFrame> Feed(std::uint8_t byte);

  // One link-timer tick; true when it dropped a stalled frame.
  bool Tick();

  // Leaves any frame under way (the link reopened beneath it).
  void Reset() { inFrame_ = false; }

  bool InFrame() const { return inFrame_; }

 private:
  void Store(std::uint8_t value) { buffer_[count_++] = value; }

  // Kept across frames: an abandoned frame leaves its bytes behind, which is
  // why a delivered message copies only the `count_` bytes of its own frame.
  std::array<std::uint8_t, kFrameStoreLimit> buffer_{};
  std::size_t count_ = 0;
  bool inFrame_ = false;
  bool escapeArmed_ = false;
  std::uint8_t idleTicks_ = 0;
};

}  // namespace tusko
