#include "sim/GatewayAnnouncements.h"

#include <algorithm>
#include <fstream>
#include <string>

namespace tusko::sim {

void GatewayAnnouncements::Begin(AnnouncementKind kind) {
  committed_ = false;
  receiving_ = Incoming{.kind = kind, .bytes = {}, .lastBlockStart = 0, .erasedEnd = 0, .erasingLeft = erasingAnswers_};
}

GatewayAnnouncements::BlockAnswer GatewayAnnouncements::Block(std::uint32_t address,
                                                              std::span<const std::uint8_t> bytes) {
  if (!receiving_ || bytes.empty() || bytes.size() > kMaxBlockBytes || bytes.size() % kBlockGranuleBytes != 0) {
    return {BlockAnswer::Kind::Refused};
  }
  Incoming& r = *receiving_;
  const std::size_t expected = r.bytes.size();
  const bool again = address == r.lastBlockStart && address < expected;
  if (!again && address != expected) return {BlockAnswer::Kind::Acknowledged, static_cast<std::uint32_t>(expected)};
  const std::size_t end = std::size_t{address} + bytes.size();
  if (end > wav::kMaxFileSize + kMaxBlockBytes) return {BlockAnswer::Kind::Refused};
  if (NeedsErasing(r, end)) {
    ++erasingAnswered_;
    return {BlockAnswer::Kind::Erasing};
  }
  r.bytes.resize(std::max(end, expected));
  std::copy(bytes.begin(), bytes.end(), r.bytes.begin() + static_cast<std::ptrdiff_t>(address));
  r.lastBlockStart = address;
  return {BlockAnswer::Kind::Acknowledged, address};
}

// A block that reaches into flash not erased yet waits for the sector's
// erasure: the first `erasingAnswers_` arrivals are answered FlashErasing.
bool GatewayAnnouncements::NeedsErasing(Incoming& r, std::size_t end) {
  if (end <= r.erasedEnd) return false;
  if (r.erasingLeft > 0) {
    --r.erasingLeft;
    return true;
  }
  r.erasedEnd = (end + kEraseSectorBytes - 1) / kEraseSectorBytes * kEraseSectorBytes;
  r.erasingLeft = erasingAnswers_;
  return false;
}

bool GatewayAnnouncements::Commit() {
  if (!receiving_) return committed_;
  std::vector<std::uint8_t> file = std::move(receiving_->bytes);
  const AnnouncementKind kind = receiving_->kind;
  receiving_.reset();
  const WavHeaderCheck check = CheckWavHeader(file);
  if (check.result != WavCheck::Ok) return false;
  // The last block's padding lies past the RIFF chunk.
  file.resize(std::min<std::size_t>(file.size(), check.layout.riffSize + wav::kRiffPreambleSize));
  ReverseAudioBits(file, 0, check.layout);
  stored_[static_cast<std::size_t>(kind)] = std::move(file);
  WriteOut(kind);
  committed_ = true;
  return true;
}

const std::vector<std::uint8_t>& GatewayAnnouncements::Stored(AnnouncementKind kind) const {
  return stored_[static_cast<std::size_t>(kind)];
}

void GatewayAnnouncements::WriteOut(AnnouncementKind kind) const {
  if (outputFolder_.empty()) return;
  const std::vector<std::uint8_t>& bytes = Stored(kind);
  std::ofstream out(outputFolder_ / (std::string(AnnouncementKindName(kind)) + ".wav"),
                    std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace tusko::sim
