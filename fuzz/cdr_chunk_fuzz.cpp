// The CDR record store takes any chunk the gateway might send: in CSV and
// TXT, with the column layout picked by the first bytes, it stores or refuses
// it and never reads outside the chunk.
#include <cstddef>
#include <cstdint>
#include <span>

#include "monitor/CdrFile.h"

namespace {

constexpr const char* kSink = "/dev/null";
// Positions 0..9 place a column or leave it out (9).
constexpr std::uint8_t kPositionChoices = tusko::kCdrColumnPositions + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> input(data, size);
  tusko::CdrTextLayout layout;
  for (std::size_t column = 0; column < tusko::kCdrColumnCount && !input.empty(); ++column) {
    layout.positions[column] = input.front() % kPositionChoices;
    input = input.subspan(1);
  }
  for (const tusko::CdrFormat format : {tusko::CdrFormat::Csv, tusko::CdrFormat::Txt}) {
    tusko::CdrFile file(layout);
    if (!file.Open(kSink)) return 0;
    file.SetFormat(format);
    file.Start();
    const std::uint32_t before = file.RecordCount();
    const bool stored = file.StoreChunk(input);
    // A refused chunk counts no record; a stored one counts each of its records.
    if (!stored && file.RecordCount() != before) __builtin_trap();
    if (stored && file.RecordCount() != before + input.size() / tusko::kCdrRecordBytes) __builtin_trap();
  }
  return 0;
}
