#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tusko::sim {

// The loader erases a 64 KiB flash sector before it writes the first block
// into it; that block's answer leaves this much later.
inline constexpr std::uint32_t kEraseSectorBytes = 0x10000;
inline constexpr std::chrono::milliseconds kSectorEraseMs{40};

// The gateway's firmware flash as its loader writes it. A write session
// starts with FlashStart on erased memory; the firmware in flash changes only
// when the session is committed whole (FlashStop), so a cancelled or broken
// update keeps the old firmware.
class GatewayFlashLoader {
 public:
  GatewayFlashLoader();

  // A new session: the staging memory is erased, no sector is erased yet.
  void Begin();
  bool Writing() const { return staging_.has_value(); }
  // Stores a block; false when no session runs. The block must have been
  // checked to lie inside the flash window. Asks for the answer to be delayed
  // when the block is the first one in its sector.
  bool Write(std::uint32_t address, std::span<const std::uint8_t> bytes);
  // The session's memory becomes the firmware; false when no session runs.
  bool Commit();
  void Abort() { staging_.reset(); }

  // How long the answer to the request just handled waits (a sector erase);
  // taking it resets it.
  std::chrono::milliseconds TakeAnswerDelay();

  // The firmware flash from the window's start (0xFF where nothing was written).
  const std::vector<std::uint8_t>& flash() const { return flash_; }
  // The identification text in the committed firmware, when there is one.
  std::optional<std::string> Identification() const;

 private:
  std::vector<std::uint8_t> flash_;
  std::optional<std::vector<std::uint8_t>> staging_;
  std::vector<bool> sectorErased_;
  std::chrono::milliseconds answerDelay_{0};
};

}  // namespace tusko::sim
