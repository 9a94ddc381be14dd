#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <span>
#include <string_view>

namespace tusko {

// Which of the gateway's voice announcements an update replaces; the value
// is the byte the gateway expects.
enum class AnnouncementKind : std::uint8_t {
  MusicOnHold = 0,
  Outgoing = 1,
  Incoming = 2,
};

inline constexpr int kAnnouncementKindCount = 3;
// The one value of AnnouncementStop: the file is complete.
inline constexpr std::uint8_t kAnnouncementStopValue = 0x00;

// The kind with this number, or nothing for a number the gateway does not know.
std::optional<AnnouncementKind> AnnouncementKindFromNumber(int number);
// The kind with this short name ("moh", "outgoing", "incoming").
std::optional<AnnouncementKind> AnnouncementKindFromName(std::string_view name);
// The language key that names the kind.
const char* AnnouncementKindTextKey(AnnouncementKind kind);
// The kind's short name, as typed on a command line and used for file names.
const char* AnnouncementKindName(AnnouncementKind kind);

// What CheckWav found; the numbers are the ones the file check reports.
enum class WavCheck : int {
  Ok = 0,
  CannotOpen = 1,
  Empty = 2,
  TooBig = 3,
  BadFormat = 4,
};

// The WAV layout the gateway plays: RIFF/WAVE, A-law, 8 kHz, 8 bits, mono,
// with an 18-byte fmt chunk and an optional 4-byte fact chunk.
namespace wav {
inline constexpr std::size_t kHeaderSize = 58;          // bytes, with the fact chunk
inline constexpr std::uint32_t kMaxRiffSize = 0x3FF00;  // bytes after the RIFF size field
inline constexpr std::size_t kRiffPreambleSize = 8;     // "RIFF" and the RIFF size field
inline constexpr std::size_t kRiffSizeOffset = 4;
inline constexpr std::size_t kFactIdOffset = 38;
inline constexpr std::size_t kFactSizeOffset = 42;
inline constexpr std::size_t kDataIdOffset = 50;
inline constexpr std::size_t kDataSizeOffset = 54;
inline constexpr std::size_t kChunkHeaderSize = 8;      // id and size
inline constexpr std::uint32_t kFactSize = 4;           // bytes: the sample count
inline constexpr std::uint32_t kAudioStartWithFact = 58;
inline constexpr std::uint32_t kAudioStartWithoutFact = 46;
// The largest file the gateway can store: the largest RIFF chunk and its preamble.
inline constexpr std::uint32_t kMaxFileSize = kMaxRiffSize + kRiffPreambleSize;
}  // namespace wav

// Where the audio lies in an accepted file.
struct WavLayout {
  std::uint32_t riffSize = 0;
  std::uint32_t audioStart = 0;  // file offset of the first audio byte
  std::uint32_t dataSize = 0;    // audio bytes the header announces
  std::uint64_t AudioEnd() const { return std::uint64_t{audioStart} + dataSize; }
};

struct WavHeaderCheck {
  WavCheck result;
  WavLayout layout;  // valid when `result` is Ok
};

// Checks the first bytes of a file against the layout the gateway plays;
// fewer than kHeaderSize bytes are a bad format.
WavHeaderCheck CheckWavHeader(std::span<const std::uint8_t> head);

// The gateway stores A-law audio with each byte's bit order reversed
// (bit 0 <-> bit 7, 1 <-> 6, 2 <-> 5, 3 <-> 4).
std::uint8_t ReverseBits(std::uint8_t value);
// Reverses the bits of those of `bytes` (which lie at file offset `offset`)
// that are audio; the same call turns them back.
void ReverseAudioBits(std::span<std::uint8_t> bytes, std::uint64_t offset, const WavLayout& layout);

// An announcement WAV file opened for sending: CheckWav validates its header,
// then ReadBlock and Advance walk through the whole file, header included,
// with the audio bytes bit-reversed on the way.
class AnnouncementFile {
 public:
  // Opens `path` for reading; false when it cannot be opened.
  bool OpenFile(const std::filesystem::path& path);
  // Checks the file opened last (reopening it when it was closed) and leaves
  // it open with the read position 0. Beyond the header, a file larger than
  // the gateway can store is too big, and one shorter than its header claims
  // is a bad format.
  WavCheck CheckWav();

  // Reads up to `buffer.size()` bytes at the read position without moving
  // it; returns how many came.
  std::size_t ReadBlock(std::span<std::uint8_t> buffer);
  // Moves the read position on by `count`, at most to the file size; true
  // once it has reached the file size.
  bool Advance(std::uint32_t count);

  std::uint32_t Position() const { return position_; }
  std::uint32_t FileSize() const { return fileSize_; }
  // The audio's place as CheckWav found it.
  const WavLayout& layout() const { return layout_; }
  // The file offset after the header CheckWav read.
  static constexpr std::uint32_t HeaderEnd() { return static_cast<std::uint32_t>(wav::kHeaderSize); }
  bool IsOpen() const { return stream_.is_open(); }
  // Open, and CheckWav found nothing wrong with it.
  bool Accepted() const { return IsOpen() && accepted_; }
  void CloseFile();

 private:
  // Bytes of the file from `offset`, as many as there are; nothing when it is closed.
  std::size_t ReadAt(std::uint32_t offset, std::span<std::uint8_t> buffer);

  std::filesystem::path path_;
  std::ifstream stream_;
  WavLayout layout_;
  bool accepted_ = false;
  std::uint32_t fileSize_ = 0;
  std::uint32_t position_ = 0;
};

}  // namespace tusko
