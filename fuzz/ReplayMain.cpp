// Runs a fuzz target without libFuzzer: every file of the given corpus folders,
// then a fixed batch of pseudo-random inputs, so a regression shows up in CTest.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kGeneratedInputs = 20000;
constexpr std::size_t kMaxGeneratedSize = 700;

void runFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  int files = 0;
  for (int i = 1; i < argc; ++i) {
    std::filesystem::path root(argv[i]);
    if (!std::filesystem::exists(root)) continue;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
      if (!entry.is_regular_file()) continue;
      runFile(entry.path());
      ++files;
    }
  }
  // Biased towards frame and message bytes so generated inputs reach deep states.
  static constexpr std::uint8_t kInteresting[] = {0x7E, 0x7A, 0xCD, 0x01, 0x10, 0xA1, 0xA2, 0xA3, 0x00, 0xFF};
  std::mt19937 rng(12345);
  std::vector<std::uint8_t> input;
  for (int n = 0; n < kGeneratedInputs; ++n) {
    input.resize(rng() % kMaxGeneratedSize);
    for (auto& b : input) {
      b = (rng() % 3 == 0) ? kInteresting[rng() % std::size(kInteresting)] : static_cast<std::uint8_t>(rng());
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  std::cout << "replayed " << files << " corpus files and " << kGeneratedInputs << " generated inputs\n";
  return 0;
}
