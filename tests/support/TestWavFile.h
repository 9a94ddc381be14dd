#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tusko::test {

// An A-law, 8 kHz, mono WAV file as the gateway takes it: RIFF size
// `samples` + 50 with a fact chunk (audio from offset 58), `samples` + 38
// without (audio from 46). Sample i is (7 i + 3) mod 256, so every byte
// value occurs.
std::vector<std::uint8_t> AlawWav(std::uint32_t samples, bool withFact = true);

// Writes a little-endian number of `width` bytes at `offset`.
void PatchLittle(std::vector<std::uint8_t>& bytes, std::size_t offset, std::size_t width, std::uint32_t value);

}  // namespace tusko::test
