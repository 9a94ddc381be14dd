#include "protocol/engine/CdrTransfer.h"

namespace tusko {

bool FollowsLastCdrChunk(std::uint32_t lastPosition, std::int32_t lastLength, std::uint32_t address) {
  if (lastPosition == kCdrNoPosition || address > lastPosition) return true;
  const std::uint64_t lastEnd = std::uint64_t{lastPosition} + static_cast<std::uint64_t>(lastLength > 0 ? lastLength : 0);
  return lastEnd >= kCdrPositionWindow && address <= lastEnd - kCdrPositionWindow;
}

void CdrTransfer::Begin(CdrRecordStore& store) {
  store_ = &store;
  chunks_ = 0;
  Rewind();
}

void CdrTransfer::Rewind() {
  position_ = kCdrNoPosition;
  length_ = kCdrNoLength;
  errorCount_ = 0;
}

void CdrTransfer::End() {
  if (store_ != nullptr) store_->Close();
  store_ = nullptr;
  position_ = kCdrNoPosition;
}

void CdrTransfer::Stored(std::uint32_t address, std::int32_t length) {
  position_ = address;
  length_ = length;
  errorCount_ = 0;
  ++chunks_;
}

}  // namespace tusko
