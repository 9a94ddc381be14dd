#include "link/FrameDecoder.h"

namespace tusko {

std::optional<ReceivedFrame> FrameDecoder::Feed(std::uint8_t byte) {
  if (byte == kFrameStart) {
    inFrame_ = true;
    idleTicks_ = 0;
    count_ = 0;
    escapeArmed_ = false;
    return std::nullopt;
  }
  if (byte == kFrameEnd) {
    if (!inFrame_) return std::nullopt;
    inFrame_ = false;
    return ReceivedFrame{DeviceMessage::FromBytes({buffer_.data(), count_}), count_};
  }

  idleTicks_ = 0;
  if (inFrame_) {
    if (byte == kEscape && !escapeArmed_) {
      escapeArmed_ = true;
      return std::nullopt;
    }
    std::uint8_t value = byte;
    if (escapeArmed_ && byte == kEscapedStart) value = kFrameStart;
    if (escapeArmed_ && byte == kEscapedEnd) value = kFrameEnd;
    Store(value);
    if (count_ >= kFrameStoreLimit) inFrame_ = false;
  }
  escapeArmed_ = false;
  return std::nullopt;
}

bool FrameDecoder::Tick() {
  if (!inFrame_) return false;
  if (++idleTicks_ < kStallTicks) return false;
  inFrame_ = false;
  return true;
}

}  // namespace tusko
