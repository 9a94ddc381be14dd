// The simulator program: what it takes from its command line, and the pace it
// keeps on a serial line (the wire session itself runs under the link tests).
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "sim/LinePacer.h"
#include "sim/SimulatorOptions.h"
#include "support/RowName.h"

namespace tusko::sim {
namespace {

using namespace std::chrono_literals;

struct RejectedRow {
  std::string name;
  std::vector<std::string> args;
};

class RejectedOptions : public testing::TestWithParam<RejectedRow> {};

TEST_P(RejectedOptions, ReportAnError) { EXPECT_FALSE(ParseSimulatorOptions(GetParam().args).error.empty()); }

INSTANTIATE_TEST_SUITE_P(Simulator, RejectedOptions,
                         testing::Values(RejectedRow{"unknown", {"--frobnicate"}},
                                         RejectedRow{"missing_value", {"--tcp"}},
                                         RejectedRow{"port_too_big", {"--tcp", "70000"}},
                                         RejectedRow{"reject_without_cause", {"--reject", "0x15"}},
                                         RejectedRow{"drop_zero_count", {"--drop", "0x15:0"}},
                                         RejectedRow{"drop_ie_zero", {"--drop", "0"}},
                                         RejectedRow{"stall_zero", {"--stall-answer", "0"}},
                                         RejectedRow{"config_without_file", {"--config"}},
                                         RejectedRow{"cdr_start_at_the_window_end", {"--cdr-start", "0x800000"}},
                                         RejectedRow{"cdr_records_beyond_the_store", {"--cdr-records", "131073"}},
                                         RejectedRow{"monitor_rate_too_high", {"--monitor-rate", "100001"}},
                                         RejectedRow{"restart_ms_not_a_number", {"--restart-ms", "soon"}},
                                         RejectedRow{"restart_after_zero", {"--restart-after", "0"}},
                                         RejectedRow{"slow_answer_without_delay", {"--slow-answer", "3"}},
                                         RejectedRow{"alter_stored_past_the_image", {"--alter-stored", "29332"}}),
                         test::RowName<RejectedRow>);

TEST(SimulatorOptions, DefaultsServeTcpOnTheGatewayPortWithTheBuiltInGatewayAndPtyAloneServesNoTcp) {
  const auto parsed = ParseSimulatorOptions({});
  ASSERT_TRUE(parsed.error.empty());
  const SimulatorOptions& o = parsed.options;
  EXPECT_TRUE(o.useTcp);
  EXPECT_FALSE(o.usePty);
  EXPECT_EQ(o.address, "127.0.0.1");
  EXPECT_EQ(o.port, 1002);
  EXPECT_TRUE(o.configFile.empty()) << "the built-in gateway";
  EXPECT_FALSE(o.restartTime.has_value()) << "each kind of restart takes its own time";
  EXPECT_FALSE(ParseSimulatorOptions({"--pty"}).options.useTcp);
}

// Faults keep their order, element, cause and count.
TEST(SimulatorOptions, GivenValuesAreKept) {
  const auto parsed = ParseSimulatorOptions(
      {"--pty", "--tcp", "127.0.0.2:1234", "--delay", "250", "--close-after", "3", "--stall-answer", "2", "--baud",
       "115200", "--config", "office.img", "--write-via-loader", "--cdr-records", "7", "--cdr-start", "0x7FFFF0",
       "--monitor-rate", "5000", "--restart-ms", "100", "--drop", "any:2", "--reject", "0x81:0x92", "--corrupt", "21",
       "--silent", "0x34:3", "--wrong-length", "any:1", "--restart-after", "5", "--slow-answer", "4:250",
       "--alter-stored", "63"});
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  const SimulatorOptions& o = parsed.options;
  EXPECT_TRUE(o.usePty && o.useTcp);
  EXPECT_EQ(o.address, "127.0.0.2");
  EXPECT_EQ(o.port, 1234);
  EXPECT_EQ(o.wire.replyDelay, std::chrono::milliseconds(250));
  EXPECT_EQ(o.wire.closeAfterAnswers, 3);
  EXPECT_EQ(o.wire.stallAnswer, 2);
  EXPECT_EQ(o.baud, 115200u);
  EXPECT_EQ(o.configFile, "office.img");
  EXPECT_TRUE(o.writeViaLoader);
  EXPECT_EQ(o.cdrRecords, 7);
  EXPECT_EQ(o.cdrStart, 0x7FFFF0u);
  EXPECT_EQ(o.monitorRate, 5000u);
  EXPECT_EQ(o.restartTime, std::chrono::milliseconds(100));
  EXPECT_EQ(o.wire.restartAfterAnswers, 5);
  EXPECT_EQ(o.wire.slowAnswer, 4);
  EXPECT_EQ(o.wire.slowAnswerDelay, std::chrono::milliseconds(250));
  EXPECT_EQ(o.alterStored, 63u);
  const std::vector<std::tuple<FaultKind, std::uint8_t, std::uint8_t, int>> faults{
      {FaultKind::DropReply, kAnyRequest, 0, 2}, {FaultKind::Reject, 0x81, 0x92, 1},
      {FaultKind::CorruptChecksum, 21, 0, 1},    {FaultKind::Silent, ie::MonitorPoll, 0, 3},
      {FaultKind::WrongLength, kAnyRequest, 0, 1}};
  ASSERT_EQ(o.faults.size(), faults.size());
  for (std::size_t i = 0; i < faults.size(); ++i) {
    EXPECT_EQ(std::tie(o.faults[i].kind, o.faults[i].requestIe, o.faults[i].cause, o.faults[i].count), faults[i]) << i;
  }
}

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
