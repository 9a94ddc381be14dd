#include "protocol/AnnouncementFile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <system_error>

namespace tusko {

namespace {

struct KindNames {
  AnnouncementKind kind;
  const char* textKey;
  const char* name;
};

constexpr KindNames kKindNames[] = {
    {AnnouncementKind::MusicOnHold, "strAnnouncementMOH", "moh"},
    {AnnouncementKind::Outgoing, "strAnnouncementOutgoing", "outgoing"},
    {AnnouncementKind::Incoming, "strAnnouncementIncoming", "incoming"},
};

const KindNames& NamesOf(AnnouncementKind kind) { return kKindNames[static_cast<std::size_t>(kind)]; }

// The fields from offset 8 to the extra size: every one has a fixed value.
struct FixedField {
  std::size_t offset;
  std::size_t width;
  std::uint32_t value;
};

constexpr std::uint32_t FourCc(std::string_view id) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[0])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(id[3])) << 24;
}

constexpr std::uint32_t kRiffId = FourCc("RIFF");
constexpr std::uint32_t kFactId = FourCc("fact");
constexpr std::uint32_t kDataId = FourCc("data");
constexpr std::uint16_t kFormatAlaw = 6;
constexpr std::uint32_t kSampleRateHz = 8000;
constexpr std::uint32_t kByteRate = 8000;  // bytes per second: one byte per sample, mono
constexpr std::uint16_t kBitsPerSample = 8;
constexpr std::uint32_t kFmtSize = 18;

constexpr FixedField kFixedFields[] = {
    {8, 4, FourCc("WAVE")},  {12, 4, FourCc("fmt ")}, {16, 4, kFmtSize},       {20, 2, kFormatAlaw},
    {22, 2, 1 /* mono */},   {24, 4, kSampleRateHz},  {28, 4, kByteRate},      {32, 2, 1 /* block align */},
    {34, 2, kBitsPerSample}, {36, 2, 0 /* extra */},
};

std::uint32_t ReadLittle(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
  std::uint32_t value = 0;
  for (std::size_t i = width; i-- > 0;) value = value << 8 | bytes[offset + i];
  return value;
}

std::uint32_t ReadLittle32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return ReadLittle(bytes, offset, 4);
}

}  // namespace

std::optional<AnnouncementKind> AnnouncementKindFromNumber(int number) {
  if (number < 0 || number >= kAnnouncementKindCount) return std::nullopt;
  return static_cast<AnnouncementKind>(number);
}

std::optional<AnnouncementKind> AnnouncementKindFromName(std::string_view name) {
  for (const KindNames& names : kKindNames) {
    if (name == names.name) return names.kind;
  }
  return std::nullopt;
}

const char* AnnouncementKindTextKey(AnnouncementKind kind) { return NamesOf(kind).textKey; }
const char* AnnouncementKindName(AnnouncementKind kind) { return NamesOf(kind).name; }

std::uint8_t ReverseBits(std::uint8_t value) {
  std::uint8_t reversed = 0;
  for (int bit = 0; bit < 8; ++bit) {
    reversed = static_cast<std::uint8_t>(reversed << 1 | (value >> bit & 1));
  }
  return reversed;
}

WavHeaderCheck CheckWavHeader(std::span<const std::uint8_t> head) {
  if (head.size() < wav::kHeaderSize || ReadLittle32(head, 0) != kRiffId) return {WavCheck::BadFormat, {}};
  // The check works on a copy laid out as a file with a fact chunk.
  std::array<std::uint8_t, wav::kHeaderSize> header{};
  std::copy_n(head.begin(), wav::kHeaderSize, header.begin());
  const std::uint32_t riffSize = ReadLittle32(header, wav::kRiffSizeOffset);
  if (riffSize > wav::kMaxRiffSize) return {WavCheck::TooBig, {}};
  for (const FixedField& field : kFixedFields) {
    if (ReadLittle(header, field.offset, field.width) != field.value) return {WavCheck::BadFormat, {}};
  }
  const std::uint32_t chunkAfterFmt = ReadLittle32(header, wav::kFactIdOffset);
  if (chunkAfterFmt == kFactId) {
    if (ReadLittle32(header, wav::kFactSizeOffset) != wav::kFactSize) return {WavCheck::BadFormat, {}};
  } else if (chunkAfterFmt == kDataId) {
    std::copy_n(header.begin() + wav::kFactIdOffset, wav::kChunkHeaderSize, header.begin() + wav::kDataIdOffset);
    std::fill(header.begin() + wav::kFactIdOffset, header.begin() + wav::kDataIdOffset, 0);
  } else {
    return {WavCheck::BadFormat, {}};
  }
  if (ReadLittle32(header, wav::kDataIdOffset) != kDataId) return {WavCheck::BadFormat, {}};
  const bool hasFact = ReadLittle32(header, wav::kFactSizeOffset) != 0;
  return {WavCheck::Ok,
          {.riffSize = riffSize,
           .audioStart = hasFact ? wav::kAudioStartWithFact : wav::kAudioStartWithoutFact,
           .dataSize = ReadLittle32(header, wav::kDataSizeOffset)}};
}

void ReverseAudioBits(std::span<std::uint8_t> bytes, std::uint64_t offset, const WavLayout& layout) {
  const std::uint64_t end = offset + bytes.size();
  const std::uint64_t from = std::clamp<std::uint64_t>(layout.audioStart, offset, end);
  const std::uint64_t to = std::clamp<std::uint64_t>(layout.AudioEnd(), from, end);
  for (std::uint64_t at = from; at < to; ++at) {
    std::uint8_t& byte = bytes[static_cast<std::size_t>(at - offset)];
    byte = ReverseBits(byte);
  }
}

bool AnnouncementFile::OpenFile(const std::filesystem::path& path) {
  CloseFile();
  path_ = path;
  stream_.open(path, std::ios::binary);
  return stream_.is_open();
}

WavCheck AnnouncementFile::CheckWav() {
  if (!IsOpen() && (path_.empty() || !OpenFile(path_))) return WavCheck::CannotOpen;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path_, error);
  if (error) return WavCheck::CannotOpen;
  position_ = 0;
  layout_ = {};
  accepted_ = false;
  fileSize_ = static_cast<std::uint32_t>(std::min<std::uintmax_t>(size, UINT32_MAX));
  if (size == 0) return WavCheck::Empty;
  std::array<std::uint8_t, wav::kHeaderSize> head{};
  const std::size_t got = ReadAt(0, head);
  const WavHeaderCheck check = CheckWavHeader(std::span(head.data(), got));
  if (check.result != WavCheck::Ok) return check.result;
  // The header's own limit says nothing about what follows it: the gateway
  // cannot store more than the largest RIFF chunk, and a file cut short
  // would leave it with a header that promises audio it never got.
  if (size > wav::kMaxFileSize) return WavCheck::TooBig;
  if (check.layout.AudioEnd() > size || std::uint64_t{check.layout.riffSize} + wav::kRiffPreambleSize > size) {
    return WavCheck::BadFormat;
  }
  layout_ = check.layout;
  accepted_ = true;
  return WavCheck::Ok;
}

std::size_t AnnouncementFile::ReadBlock(std::span<std::uint8_t> buffer) {
  const std::size_t got = ReadAt(position_, buffer);
  ReverseAudioBits(buffer.first(got), position_, layout_);
  return got;
}

bool AnnouncementFile::Advance(std::uint32_t count) {
  position_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(std::uint64_t{position_} + count, fileSize_));
  return position_ >= fileSize_;
}

void AnnouncementFile::CloseFile() {
  if (stream_.is_open()) stream_.close();
  stream_.clear();
  accepted_ = false;
}

std::size_t AnnouncementFile::ReadAt(std::uint32_t offset, std::span<std::uint8_t> buffer) {
  if (!IsOpen() || buffer.empty()) return 0;
  stream_.clear();
  stream_.seekg(offset);
  stream_.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
  const std::streamsize got = stream_.gcount();
  stream_.clear();
  return got > 0 ? static_cast<std::size_t>(got) : 0;
}

}  // namespace tusko
