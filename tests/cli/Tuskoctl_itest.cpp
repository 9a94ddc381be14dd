// tuskoctl end to end: the built program against its built-in simulator and
// against the simulator program, as a user runs them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/FileText.h"
#include "support/ProgramRun.h"
#include "support/RefusingPort.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

using test::ProcessResult;
using test::Simulator;
constexpr int kExitRejected = 3;
constexpr int kExitNoLink = 6;

class TuskoctlInfo : public test::TuskoctlTest {
 protected:
  static void ExpectGatewayReport(const std::string& out) {
    for (const char* line : {"Firmware version: +1\\.2\\.5", "Loader version: +1\\.0\\.3", "Gateway name: +Sentarix",
                             "Data version: +0x010200", "DHCP: +off", "IP address: +192\\.168\\.1\\.100",
                             "Subnet mask: +255\\.255\\.255\\.0", "Default gateway: +192\\.168\\.1\\.1",
                             "TCP port: +1002"}) {
      EXPECT_TRUE(std::regex_search(out, std::regex(line))) << line << " missing in:\n" << out;
    }
  }
};

TEST_F(TuskoctlInfo, TalksToTheBuiltInSimulatorWhenNoGatewayIsConfigured) {
  const ProcessResult result = Tuskoctl({"info"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("built-in simulator at 127.0.0.1:"), std::string::npos) << result.err;
  ExpectGatewayReport(result.out);
}

TEST_F(TuskoctlInfo, ReadsTheSimulatorProgramOverTcpAndLogsTheTraffic) {
  const Simulator simulator({"--tcp", "127.0.0.1:0"}, Environment());
  const std::string& endpoint = simulator.endpoint();
  ASSERT_FALSE(endpoint.empty());
  const fs::path comlog = configHome_ / "comlog.txt";

  const ProcessResult result = Tuskoctl({"--tcp", endpoint, "--comlog", comlog.string(), "info"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("built-in"), std::string::npos) << result.err;
  ExpectGatewayReport(result.out);

  const std::string log = test::ReadFileText(comlog);
  for (const char* line : {"Init communication\n", "TCP Connect - ", "OUT: A1 02 15 00 48\n", " IN: A2 ", "Close communication\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << " missing in:\n" << log;
  }
}

TEST_F(TuskoctlInfo, AGatewayRefusingTheRequestEndsWithItsCause) {
  const Simulator simulator({"--tcp", "127.0.0.1:0", "--reject", "0x15:0x21:3"}, Environment());
  ASSERT_FALSE(simulator.endpoint().empty());
  const ProcessResult result = Tuskoctl({"--tcp", simulator.endpoint(), "info"});
  EXPECT_EQ(result.exitCode, kExitRejected);
  EXPECT_NE(result.err.find("Reason (error cause): 21"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
}

TEST_F(TuskoctlInfo, ARefusedConnectionSaysWhereAndWhy) {
  const test::RefusingPort refusing;
  ASSERT_NE(refusing.port(), 0);
  const std::string endpoint = "127.0.0.1:" + std::to_string(refusing.port());
  const ProcessResult result = Tuskoctl({"--tcp", endpoint, "info"});
  EXPECT_EQ(result.exitCode, kExitNoLink);
  EXPECT_NE(result.err.find("No connection to " + endpoint), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("The gateway cannot be reached."), std::string::npos) << result.err;
}

}  // namespace
}  // namespace tusko
