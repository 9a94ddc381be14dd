#include "support/TestWavFile.h"

#include <string_view>

namespace tusko::test {

namespace {

constexpr std::uint32_t kFactChunkBytes = 12;  // id, size and the sample count

void Append(std::vector<std::uint8_t>& bytes, std::string_view id) { bytes.insert(bytes.end(), id.begin(), id.end()); }

void AppendLittle(std::vector<std::uint8_t>& bytes, std::size_t width, std::uint32_t value) {
  bytes.resize(bytes.size() + width);
  PatchLittle(bytes, bytes.size() - width, width, value);
}

}  // namespace

void PatchLittle(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t width, std::uint32_t value) {
  for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> AlawWav(std::uint32_t samples, bool withFact) {
  std::vector<std::uint8_t> bytes;
  Append(bytes, "RIFF");
  AppendLittle(bytes, 4, samples + (withFact ? 50 : 50 - kFactChunkBytes));
  Append(bytes, "WAVEfmt ");
  AppendLittle(bytes, 4, 18);    // fmt size
  AppendLittle(bytes, 2, 6);     // A-law
  AppendLittle(bytes, 2, 1);     // mono
  AppendLittle(bytes, 4, 8000);  // samples per second
  AppendLittle(bytes, 4, 8000);  // bytes per second
  AppendLittle(bytes, 2, 1);     // block align
  AppendLittle(bytes, 2, 8);     // bits per sample
  AppendLittle(bytes, 2, 0);     // extra size
  if (withFact) {
    Append(bytes, "fact");
    AppendLittle(bytes, 4, 4);
    AppendLittle(bytes, 4, samples);
  }
  Append(bytes, "data");
  AppendLittle(bytes, 4, samples);
  for (std::uint32_t i = 0; i < samples; ++i) bytes.push_back(static_cast<std::uint8_t>(7 * i + 3));
  return bytes;
}

}  // namespace tusko::test
