#include "sim/SimulatorOptions.h"

#include <gtest/gtest.h>

namespace tusko::sim {
namespace {

struct RejectedRow {
  const char* name;
  std::vector<std::string> args;
};

class RejectedOptions : public testing::TestWithParam<RejectedRow> {};

TEST_P(RejectedOptions, ReportAnErrorNamingTheOption) {
  const auto parsed = ParseSimulatorOptions(GetParam().args);
  EXPECT_FALSE(parsed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(Simulator, RejectedOptions,
                         testing::Values(RejectedRow{"unknown", {"--frobnicate"}},
                                         RejectedRow{"missing_value", {"--tcp"}},
                                         RejectedRow{"port_too_big", {"--tcp", "70000"}},
                                         RejectedRow{"port_not_number", {"--tcp", "localhost:http"}},
                                         RejectedRow{"reject_without_cause", {"--reject", "0x15"}},
                                         RejectedRow{"drop_zero_count", {"--drop", "0x15:0"}},
                                         RejectedRow{"drop_ie_zero", {"--drop", "0"}},
                                         RejectedRow{"drop_too_many_parts", {"--drop", "0x15:1:2"}},
                                         RejectedRow{"stall_zero", {"--stall-answer", "0"}},
                                         RejectedRow{"baud_garbage", {"--baud", "fast"}}),
                         [](const auto& row) { return row.param.name; });

TEST(SimulatorOptions, DefaultsServeTcpOnTheGatewayPort) {
  const auto parsed = ParseSimulatorOptions({});
  ASSERT_TRUE(parsed.error.empty());
  EXPECT_TRUE(parsed.options.useTcp);
  EXPECT_FALSE(parsed.options.usePty);
  EXPECT_EQ(parsed.options.address, "127.0.0.1");
  EXPECT_EQ(parsed.options.port, 1002);
}

TEST(SimulatorOptions, PtyAloneServesNoTcpButBothCanBeAsked) {
  EXPECT_FALSE(ParseSimulatorOptions({"--pty"}).options.useTcp);
  const auto both = ParseSimulatorOptions({"--pty", "--tcp", "0"}).options;
  EXPECT_TRUE(both.usePty);
  EXPECT_TRUE(both.useTcp);
  EXPECT_EQ(both.port, 0);
}

TEST(SimulatorOptions, FaultsKeepTheirOrderElementCauseAndCount) {
  const auto parsed = ParseSimulatorOptions({"--drop", "any:2", "--reject", "0x81:0x92", "--corrupt", "21"});
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  const auto& faults = parsed.options.faults;
  ASSERT_EQ(faults.size(), 3u);
  EXPECT_EQ(faults[0].kind, FaultKind::DropReply);
  EXPECT_EQ(faults[0].requestIe, kAnyRequest);
  EXPECT_EQ(faults[0].count, 2);
  EXPECT_EQ(faults[1].kind, FaultKind::Reject);
  EXPECT_EQ(faults[1].requestIe, 0x81);
  EXPECT_EQ(faults[1].cause, 0x92);
  EXPECT_EQ(faults[1].count, 1);
  EXPECT_EQ(faults[2].kind, FaultKind::CorruptChecksum);
  EXPECT_EQ(faults[2].requestIe, 21);
}

TEST(SimulatorOptions, WireFaultsAndAddress) {
  const auto o = ParseSimulatorOptions({"--tcp", "127.0.0.2:1234", "--delay", "250", "--close-after", "3",
                                        "--stall-answer", "2", "--baud", "115200"})
                     .options;
  EXPECT_EQ(o.address, "127.0.0.2");
  EXPECT_EQ(o.port, 1234);
  EXPECT_EQ(o.wire.replyDelay, std::chrono::milliseconds(250));
  EXPECT_EQ(o.wire.closeAfterAnswers, 3);
  EXPECT_EQ(o.wire.stallAnswer, 2);
  EXPECT_EQ(o.baud, 115200u);
}

}  // namespace
}  // namespace tusko::sim
