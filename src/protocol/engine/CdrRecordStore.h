#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/TransferConstants.h"

namespace tusko {

// Where the CDR download puts the chunks it receives: the record file of the
// monitor side. The engine knows only this much of it.
class CdrRecordStore {
 public:
  virtual ~CdrRecordStore() = default;

  // One chunk as the gateway sent it. True only when all of it was stored;
  // a chunk that fails leaves nothing of itself behind.
  virtual bool StoreChunk(std::span<const std::uint8_t> chunk) = 0;
  // Records stored since the start (chunks, for a store that keeps them raw).
  virtual std::uint32_t RecordCount() const = 0;
  // Ends the output; closing a closed store does nothing.
  virtual void Close() = 0;
};

}  // namespace tusko
