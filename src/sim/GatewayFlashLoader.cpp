#include "sim/GatewayFlashLoader.h"

#include <algorithm>
#include <utility>

#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"

namespace tusko::sim {

namespace {

constexpr std::uint8_t kErasedByte = 0xFF;
constexpr std::size_t kSectorCount =
    (kFirmwareFlashWindow.length + kEraseSectorBytes - 1) / kEraseSectorBytes;

std::vector<std::uint8_t> ErasedMemory() { return std::vector<std::uint8_t>(kFirmwareFlashWindow.length, kErasedByte); }

}  // namespace

GatewayFlashLoader::GatewayFlashLoader() : flash_(ErasedMemory()), sectorErased_(kSectorCount, false) {}

void GatewayFlashLoader::Begin() {
  staging_ = ErasedMemory();
  std::fill(sectorErased_.begin(), sectorErased_.end(), false);
}

bool GatewayFlashLoader::Write(std::uint32_t address, std::span<const std::uint8_t> bytes) {
  if (!staging_ || bytes.empty()) return false;
  const std::size_t offset = address - kFirmwareFlashWindow.start;
  const std::size_t sector = offset / kEraseSectorBytes;
  if (!sectorErased_[sector]) {
    sectorErased_[sector] = true;
    answerDelay_ = kSectorEraseMs;
  }
  std::copy(bytes.begin(), bytes.end(), staging_->begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

bool GatewayFlashLoader::Commit() {
  if (!staging_) return false;
  flash_ = std::move(*staging_);
  staging_.reset();
  return true;
}

std::chrono::milliseconds GatewayFlashLoader::TakeAnswerDelay() { return std::exchange(answerDelay_, {}); }

std::optional<std::string> GatewayFlashLoader::Identification() const { return FindIdentificationText(flash_); }

}  // namespace tusko::sim
