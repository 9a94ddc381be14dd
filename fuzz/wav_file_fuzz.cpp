// Reads arbitrary bytes as an announcement file. Whatever the header claims,
// the walk through an accepted file covers exactly its bytes, reverses only
// the audio ones, and ends at its size; a refused file is never read.
//
// Input: the file's bytes.
#include <unistd.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstdio>

#include "protocol/AnnouncementFile.h"

namespace {

using namespace tusko;

constexpr std::uint32_t kBlockBytes = 128;

void Check(bool condition) {
  if (!condition) std::abort();
}

// One file per process, rewritten for every input and removed at exit.
char gInputPath[] = "/tmp/tusko-wav-fuzz-XXXXXX";

const char* InputPath() {
  static const bool created = [] {
    const int fd = ::mkstemp(gInputPath);
    Check(fd >= 0);
    ::close(fd);
    std::atexit([] { ::unlink(gInputPath); });
    return true;
  }();
  Check(created);
  return gInputPath;
}

bool WriteInput(const std::uint8_t* data, std::size_t size) {
  // A new file each time: a file cut to nothing and written again is flushed
  // to the disk at its close, which on a busy disk costs more than the check.
  ::unlink(InputPath());
  std::FILE* out = std::fopen(InputPath(), "wb");
  if (out == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, out) == size;
  return std::fclose(out) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!WriteInput(data, size)) return 0;
  AnnouncementFile wav;
  Check(wav.OpenFile(InputPath()));
  if (wav.CheckWav() != WavCheck::Ok) return 0;
  Check(wav.FileSize() == size && size <= wav::kMaxFileSize);
  const WavLayout& layout = wav.layout();
  Check(layout.AudioEnd() <= size);

  std::uint64_t covered = 0;
  bool end = false;
  while (!end) {
    std::array<std::uint8_t, kBlockBytes> block{};
    const std::size_t got = wav.ReadBlock(block);
    Check(got <= kBlockBytes && wav.Position() + got <= size);
    for (std::size_t i = 0; i < got; ++i) {
      const std::uint64_t offset = std::uint64_t{wav.Position()} + i;
      const bool audio = offset >= layout.audioStart && offset < layout.AudioEnd();
      Check(block[i] == (audio ? ReverseBits(data[offset]) : data[offset]));
    }
    covered += got;
    end = wav.Advance(kBlockBytes);
  }
  Check(covered == size && wav.Position() == size);
  return 0;
}
