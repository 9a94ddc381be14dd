// The serial line's pace as the simulator keeps it (the wire session itself
// runs under the link tests).
#include "sim/LinePacer.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "support/RowName.h"

namespace tusko::sim {
namespace {

using namespace std::chrono_literals;

// At 115200 baud a byte takes 11 bits: 95.486 us; 10 bytes 954.86 us.
struct PacerRow {
  const char* name;
  unsigned baud;
  // At each step the bytes that have crossed are taken, then `push` more start.
  std::vector<std::pair<std::chrono::microseconds, std::size_t>> steps;
  std::chrono::microseconds at;
  std::size_t allowed;  // at `at`
  std::chrono::microseconds dueAt;
};

class LinePacerTest : public testing::TestWithParam<PacerRow> {};

TEST_P(LinePacerTest, ReleasesEachByteOnceItHasCrossedTheLine) {
  const PacerRow& row = GetParam();
  LinePacer pacer(row.baud);
  for (const auto& [at, push] : row.steps) {
    pacer.Consume(pacer.Allowed(at));
    pacer.Push(std::vector<std::uint8_t>(push, 0x55), at);
  }
  EXPECT_EQ(pacer.Allowed(row.at), row.allowed);
  EXPECT_EQ(pacer.DueAt(), row.dueAt);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LinePacerTest,
    testing::Values(PacerRow{"ElevenBitsPerByte", 115200, {{0us, 1000}}, 10000us, 104, 95487us},
                    PacerRow{"NoByteBeforeItsLastBit", 115200, {{0us, 10}}, 954us, 9, 955us},
                    // The first burst crossed long ago: the second starts at its own arrival.
                    PacerRow{"IdleLineSavesNothing", 115200, {{0us, 10}, {2s, 10}}, 2s + 954us, 9, 2s + 955us},
                    // Five bytes of the first burst have crossed; the second queues behind the other five.
                    PacerRow{"BusyLineQueues", 115200, {{0us, 10}, {500us, 10}}, 955us, 5, 1910us},
                    PacerRow{"Unpaced", 0, {{0us, 5000}}, 0us, 5000, 0us}),
    test::RowName<PacerRow>);

}  // namespace
}  // namespace tusko::sim
