#include "sim/GatewayConfigStore.h"

#include <algorithm>

namespace tusko::sim {

GatewayConfigStore::GatewayConfigStore(const ConfigurationImage& stored) : stored_(stored) {}

void GatewayConfigStore::Replace(const ConfigurationImage& image) {
  stored_ = image;
  written_.reset();
}

bool GatewayConfigStore::Write(std::size_t offset, std::span<const std::uint8_t> bytes) {
  if (!written_ || offset >= ConfigurationImage::kSize) return false;
  return written_->Store(offset, bytes.first(std::min(bytes.size(), ConfigurationImage::kSize - offset)));
}

bool GatewayConfigStore::CommitWrite() {
  if (!written_) return false;
  stored_ = *written_;
  written_.reset();
  if (alteredOffset_ && *alteredOffset_ < ConfigurationImage::kSize) {
    stored_.SetByte(*alteredOffset_, static_cast<std::uint8_t>(stored_.Byte(*alteredOffset_) ^ 0x01));
  }
  return true;
}

}  // namespace tusko::sim
