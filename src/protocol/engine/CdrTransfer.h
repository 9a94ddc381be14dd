#pragma once

#include <cstdint>

#include "protocol/engine/CdrRecordStore.h"

namespace tusko {

inline constexpr std::uint32_t kCdrNoPosition = 0xFFFFFFFF;
inline constexpr std::int32_t kCdrNoLength = -1;
// The length acknowledged while none is known yet.
inline constexpr std::uint8_t kCdrUnknownLength = 0xC0;  // bytes

// Whether a chunk at `address` may follow the last chunk stored (at
// `lastPosition`, `lastLength` bytes long). A chunk further on is always
// taken; one at or below the last position only when the last chunk reached
// the end of the position window and the new one starts no later than where
// the last one ended after the wrap. A repeated or stale chunk is refused.
bool FollowsLastCdrChunk(std::uint32_t lastPosition, std::int32_t lastLength, std::uint32_t address);

// What the CDR download keeps between its requests: where the last stored
// chunk lies, how many records to report as not stored, and the record store
// it fills (the caller's; held only while a download runs).
class CdrTransfer {
 public:
  // A new download into `store`.
  void Begin(CdrRecordStore& store);
  // Back to the first-request form; the store stays.
  void Rewind();
  // The download ended: the store is closed and let go.
  void End();

  // A chunk was stored: it is the one the next request acknowledges.
  void Stored(std::uint32_t address, std::int32_t length);
  void SetErrorCount(std::uint32_t count) { errorCount_ = count; }

  CdrRecordStore* store() const { return store_; }
  std::uint32_t position() const { return position_; }
  std::int32_t length() const { return length_; }
  std::uint32_t errorCount() const { return errorCount_; }
  // Chunks stored in this download.
  std::uint32_t chunks() const { return chunks_; }

 private:
  CdrRecordStore* store_ = nullptr;
  std::uint32_t position_ = kCdrNoPosition;
  std::int32_t length_ = kCdrNoLength;
  std::uint32_t errorCount_ = 0;
  std::uint32_t chunks_ = 0;
};

}  // namespace tusko
