// The gateway's monitoring output: the categories the utility selects, the
// load rate, and what ends it.
#include "sim/GatewayMonitoring.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "link/FrameDecoder.h"
#include "sim/GatewayModel.h"
#include "sim/GatewayRestarts.h"
#include "sim/GatewayScript.h"

namespace tusko::sim {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kStep{1};

DeviceMessage Request(std::uint8_t id, std::string_view text = {}) { return test::Ask({test::TextElement(id, text)}); }

// The monitoring output the gateway sent in `duration`: the texts of its
// unasked MonitorStart replies, joined. Events (restarts) are passed over;
// any other message fails the test.
std::string OutputOver(GatewayModel& gateway, milliseconds duration) {
  std::string output;
  for (milliseconds passed{0}; passed < duration; passed += kStep) {
    for (const DeviceMessage& message : gateway.Advance(kStep)) {
      EXPECT_TRUE(IsChecksumValid(message));
      if (message.type() == static_cast<std::uint8_t>(MessageType::Request)) continue;
      EXPECT_EQ(message.type(), static_cast<std::uint8_t>(MessageType::Reply));
      const auto element = FindElement(message, ie::MonitorStart);
      EXPECT_TRUE(element);
      if (!element) continue;
      EXPECT_LE(message.ieLength() + kMessageBufferSize - kMaxIeAreaLength, kMaxReceivedLength)
          << "the program's decoder drops a longer message";
      output += ElementText(*element, kMaxIeAreaLength);
    }
  }
  return output;
}

// The lines of the output without their CR LF; the start's banner's line end gives none.
std::vector<std::string> Lines(std::string_view output) {
  if (output.starts_with("\r\n")) output.remove_prefix(2);
  std::vector<std::string> lines;
  for (std::size_t end; (end = output.find("\r\n")) != std::string_view::npos; output.remove_prefix(end + 2)) {
    lines.emplace_back(output.substr(0, end));
  }
  EXPECT_TRUE(output.empty()) << "unfinished line: " << output;
  return lines;
}

// The category numbers of the lines, from their "Cnn" field.
std::vector<int> Categories(const std::vector<std::string>& lines) {
  std::vector<int> categories;
  for (const std::string& line : lines) categories.push_back(std::stoi(line.substr(line.find(" C") + 2, 2)));
  return categories;
}

class MonitoringGateway : public testing::Test {
 protected:
  MonitoringGateway() { EXPECT_FALSE(gateway.Receive(Request(ie::MonitorStart)).empty()); }

  bool Answered(const DeviceMessage& request) { return !gateway.Receive(request).empty(); }

  GatewayModel gateway;
};

TEST_F(MonitoringGateway, TracesOnlyTheSelectedCategories) {
  ASSERT_TRUE(Answered(Request(ie::MonitorCommand, "V=8005\r\n")));
  EXPECT_EQ(gateway.Monitor().Mask(), 0x8005);
  EXPECT_EQ(Categories(Lines(OutputOver(gateway, milliseconds(3000)))), (std::vector<int>{1, 3, 16, 1, 3, 16}));

  ASSERT_TRUE(Answered(Request(ie::MonitorCommand, "V=0000\r\n")));
  EXPECT_EQ(OutputOver(gateway, milliseconds(3000)), "");
}

// A jump of time is capped, not an hour of lines, and the rhythm goes on after it.
TEST_F(MonitoringGateway, LoadRateCutsTheStreamIntoFullMessagesAndAJumpOfTimeKeepsTheRhythm) {
  gateway.Monitor().SetRate(20000);
  const auto lines = Lines(OutputOver(gateway, milliseconds(1000)));
  ASSERT_EQ(lines.size(), 20000u);
  EXPECT_TRUE(lines.back().find("#020000") != std::string::npos);

  gateway.Monitor().SetRate(kDefaultTraceLinesPerSecond);
  const auto texts = gateway.Advance(std::chrono::days(365));
  EXPECT_FALSE(texts.empty());
  EXPECT_LE(texts.size(), kMaxTraceBurstLines);
  EXPECT_EQ(Lines(OutputOver(gateway, milliseconds(1000))).size(), kDefaultTraceLinesPerSecond);
}

TEST_F(MonitoringGateway, StopsWithMonitoringAndWithARestart) {
  ASSERT_TRUE(Answered(Request(ie::MonitorStop)));
  EXPECT_EQ(OutputOver(gateway, milliseconds(2000)), "");

  ASSERT_TRUE(Answered(Request(ie::MonitorStart)));
  EXPECT_FALSE(OutputOver(gateway, milliseconds(1000)).empty());
  ASSERT_TRUE(Answered(Request(ie::Reset)));
  EXPECT_EQ(OutputOver(gateway, kRestartToLoaderMs + milliseconds(2000)), "");
}

TEST(MonitorTrace, TakesOnlyAWellFormedMaskCommand) {
  using Row = std::pair<const char*, std::optional<std::uint16_t>>;  // nothing: not a mask command
  for (const auto& [command, mask] :
       {Row{"V=0001\r\n", 0x0001}, Row{"V=00a0", 0x00A0}, Row{"V=001\r\n", {}}, Row{"V=00001\r\n", {}},
        Row{"V=00G1\r\n", {}}, Row{"V=0001 \r\n", {}}, Row{"isdn status\r\n", {}}}) {
    MonitorTrace trace;
    EXPECT_EQ(trace.TakeCommand(command), mask.has_value()) << command;
    EXPECT_EQ(trace.Mask(), mask.value_or(kAllTraceCategories)) << command;
  }
}

}  // namespace
}  // namespace tusko::sim
