#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "protocol/AnnouncementFile.h"

namespace tusko::sim {

// The gateway's announcement memory: one WAV file per kind, received in
// blocks addressed by their file offset. A new sector of flash is erased
// before its first block is written, which the gateway reports with
// FlashErasing instead of the block's acknowledgement; the block is taken
// when it comes again.
class GatewayAnnouncements {
 public:
  static constexpr std::size_t kMaxBlockBytes = 128;
  static constexpr std::size_t kBlockGranuleBytes = 8;
  static constexpr std::size_t kEraseSectorBytes = 4096;  // 32 blocks

  // What the gateway answers to one block.
  struct BlockAnswer {
    enum class Kind { Acknowledged, Erasing, Refused } kind;
    std::uint32_t address = 0;  // for Acknowledged: the address acknowledged
  };

  // AnnouncementStart: a new file of `kind` begins; one under way is dropped.
  void Begin(AnnouncementKind kind);
  bool Receiving() const { return receiving_.has_value(); }
  // A file under way is dropped, as a restart drops it.
  void Abort() { receiving_.reset(); }
  // AnnouncementData: a block at the address expected next is taken; the
  // last block taken may come again (its answer was lost) and replaces
  // itself. Any other address is answered with the one expected.
  BlockAnswer Block(std::uint32_t address, std::span<const std::uint8_t> bytes);
  // AnnouncementStop: the received file, its audio bytes bit-reversed back
  // and cut to the length its RIFF header gives, becomes the stored
  // announcement of its kind and, with an output folder, <kind>.wav in it.
  // A stop repeated right after a commit (its answer was lost) is taken
  // again. False when nothing is being received or the bytes hold no valid
  // header.
  bool Commit();

  // The stored announcement of `kind`; empty when none was received.
  const std::vector<std::uint8_t>& Stored(AnnouncementKind kind) const;
  // Where committed announcements are also written; empty: nowhere.
  void SetOutputFolder(std::filesystem::path folder) { outputFolder_ = std::move(folder); }
  // How many FlashErasing answers the first block of each sector gets (1 unless set; 0: no erasing).
  void SetErasingAnswers(int count) { erasingAnswers_ = count; }
  // Blocks answered with FlashErasing so far.
  int ErasingAnswered() const { return erasingAnswered_; }

 private:
  struct Incoming {
    AnnouncementKind kind = AnnouncementKind::MusicOnHold;
    std::vector<std::uint8_t> bytes;
    std::size_t lastBlockStart = 0;
    std::size_t erasedEnd = 0;  // flash below this offset is erased
    int erasingLeft = 0;        // FlashErasing answers still due for the sector being erased
  };

  bool NeedsErasing(Incoming& incoming, std::size_t end);
  void WriteOut(AnnouncementKind kind) const;

  std::optional<Incoming> receiving_;
  std::array<std::vector<std::uint8_t>, kAnnouncementKindCount> stored_;
  std::filesystem::path outputFolder_;
  int erasingAnswers_ = 1;
  int erasingAnswered_ = 0;
  bool committed_ = false;  // the last transfer was committed and no new one began
};

}  // namespace tusko::sim
