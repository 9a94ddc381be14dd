#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "config/ConfigurationImage.h"

namespace tusko::sim {

// The gateway's configuration memory: the stored image and, while a write is
// under way, the image being written. A write starts on erased memory (every
// byte 0xFF, as flash is), so the parts the utility leaves out stay unset; the
// stored image changes only when the write is committed whole.
class GatewayConfigStore {
 public:
  explicit GatewayConfigStore(const ConfigurationImage& stored);

  const ConfigurationImage& Stored() const { return stored_; }
  // Replaces the stored image; a write under way is dropped.
  void Replace(const ConfigurationImage& image);

  bool Writing() const { return written_.has_value(); }
  void BeginWrite() { written_.emplace(); }
  // Stores a block at `offset`; bytes past the end of the image (the padding
  // of the last block) are dropped. False when no write is under way or the
  // block starts outside the image.
  bool Write(std::size_t offset, std::span<const std::uint8_t> bytes);
  // The written image becomes the stored one. False when no write is under way.
  bool CommitWrite();
  // Every committed write then stores the byte at `offset` with its lowest bit
  // flipped, as a failing memory would: what reading back after a write is for.
  void AlterOnCommit(std::size_t offset) { alteredOffset_ = offset; }
  void AbortWrite() { written_.reset(); }

 private:
  ConfigurationImage stored_;
  std::optional<ConfigurationImage> written_;
  std::optional<std::size_t> alteredOffset_;
};

}  // namespace tusko::sim
