// The short device commands of tuskoctl against the simulator program, as a
// user runs them.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <vector>

#include "sim/GatewayTiming.h"
#include "support/FileText.h"
#include "support/ProgramRun.h"

namespace tusko {
namespace {

using test::ProcessResult;

constexpr int kExitUsage = 2;
constexpr int kExitRejected = 3;
constexpr int kExitPasswordRefused = 5;
constexpr const char* kPassword = "4711";

class DeviceCommands : public test::TuskoctlTest {
 protected:
  void SetUp() override {
    TuskoctlTest::SetUp();
    simulator_.emplace(std::vector<std::string>{"--tcp", "127.0.0.1:0", "--password", kPassword}, Environment());
    ASSERT_FALSE(simulator_->endpoint().empty());
  }

  ProcessResult Run(std::vector<std::string> command, const std::string& password = kPassword,
                    const std::vector<std::string>& environment = {}) {
    std::vector<std::string> args = {"--tcp", simulator_->endpoint(), "--password", password};
    args.insert(args.end(), command.begin(), command.end());
    return Tuskoctl(args, environment);
  }

  std::optional<test::Simulator> simulator_;
};

struct CommandRow {
  const char* name;
  std::vector<std::string> command;
  int exitCode;
  const char* output;  // a pattern the output must hold
};

TEST_F(DeviceCommands, AnswerWithTheSimulatorsData) {
  const CommandRow rows[] = {
      {"lan", {"lan"}, 0, "IP address: +192\\.168\\.1\\.100[^]*TCP port: +1002"},
      {"time", {"time"}, 0, "Gateway clock: \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"},
      {"time_set", {"time", "set", "2031-07-04T05:06:07"}, 0, "set to 2031-07-04 05:06:07"},
      {"time_read_back", {"time"}, 0, "Gateway clock: 2031-07-04 05:0"},
      {"module_info", {"module-info", "2"}, 0, "GSM module 2\n[^]*IMEI: +\\d{15}[^]*Network: +\\S"},
      {"module_restart", {"module-restart", "1"}, 0, "GSM module 1 restarts"},
      {"cells", {"cells", "1"}, 0, "^  \\d{3} \\d{2} [0-9A-F]{4} [0-9A-F]{4}\n"},
      {"diag", {"diag"}, 0, "ISDN lines\n  raw:( [0-9A-F]{2}){4}\n[^]*GSM module 1: Status: \\S[^]* dBm"},
      {"bad_module", {"cells", "0"}, kExitUsage, ""},
      {"bad_time", {"time", "set", "2031-02-29T00:00:00"}, kExitUsage, ""},
  };
  for (const CommandRow& row : rows) {
    const ProcessResult result = Run(row.command);
    EXPECT_EQ(result.exitCode, row.exitCode) << row.name << "\n" << result.err;
    EXPECT_TRUE(std::regex_search(result.out, std::regex(row.output))) << row.name << ":\n" << result.out;
  }
}

TEST_F(DeviceCommands, PasswordChangeTakesEffectOnTheGateway) {
  const ProcessResult wrongOld = Run({"password"}, "nope", {"TUSKO_NEW_PASSWORD=abc"});
  EXPECT_EQ(wrongOld.exitCode, kExitPasswordRefused);
  EXPECT_NE(wrongOld.err.find("The current password is wrong."), std::string::npos) << wrongOld.err;

  const struct {
    const char* name;
    std::string login, newPassword;
    const char* says;
  } refused[] = {
      {"new_too_long", kPassword, "123456789", "too long"},
      {"new_not_ascii", kPassword, "n\u00E4u", "(ASCII)"},
      {"login_not_ascii", "4\u00E41", "abc", "(ASCII)"},
  };
  for (const auto& row : refused) {
    const ProcessResult result = Run({"password"}, row.login, {"TUSKO_NEW_PASSWORD=" + row.newPassword});
    EXPECT_EQ(result.exitCode, kExitUsage) << row.name << "\n" << result.err;
    EXPECT_NE(result.err.find(row.says), std::string::npos) << row.name << "\n" << result.err;
  }

  const ProcessResult changed = Run({"password"}, kPassword, {"TUSKO_NEW_PASSWORD=abc"});
  ASSERT_EQ(changed.exitCode, 0) << changed.err;
  EXPECT_NE(changed.out.find("password is changed"), std::string::npos) << changed.out;

  // A protected request now needs the new password.
  EXPECT_EQ(Run({"time"}, kPassword).exitCode, kExitPasswordRefused);
  EXPECT_EQ(Run({"time"}, "abc").exitCode, 0);
}

TEST_F(DeviceCommands, NoCommunicationLogHoldsAPassword) {
  struct Secret {
    const char* text;
    const char* hex;
  };
  const Secret first{"Secr3tPw", "53 65 63 72 33 74 50 77"};
  const Secret second{"N3wPassw", "4E 33 77 50 61 73 73 77"};
  const test::Simulator gateway({"--tcp", "127.0.0.1:0", "--password", first.text}, Environment());
  ASSERT_FALSE(gateway.endpoint().empty());
  const std::string file = (configHome_ / "comlog.txt").string();

  struct LogRow {
    const char* name;
    const Secret& login;
    std::vector<std::string> comlog;
    std::vector<std::string> command;
    const Secret* changedTo;
  };
  const LogRow rows[] = {
      {"protected_request_to_a_file", first, {"--comlog", file}, {"time"}, nullptr},
      {"protected_request_to_the_terminal", first, {"--comlog"}, {"time"}, nullptr},
      {"password_change_to_a_file", first, {"--comlog", file}, {"password"}, &second},
      {"password_change_to_the_terminal", second, {"--comlog"}, {"password"}, &first},
  };
  for (const LogRow& row : rows) {
    std::vector<std::string> args = {"--tcp", gateway.endpoint(), "--password", row.login.text};
    args.insert(args.end(), row.comlog.begin(), row.comlog.end());
    args.insert(args.end(), row.command.begin(), row.command.end());
    std::vector<std::string> environment;
    if (row.changedTo != nullptr) environment.push_back(std::string("TUSKO_NEW_PASSWORD=") + row.changedTo->text);
    const ProcessResult result = Tuskoctl(args, environment);
    ASSERT_EQ(result.exitCode, 0) << row.name << "\n" << result.err;

    const std::string written = test::ReadFileText(file) + result.err + result.out;
    EXPECT_NE(written.find("OUT: A1"), std::string::npos) << row.name << ": nothing was logged";
    for (const Secret* secret : {&first, &second}) {
      EXPECT_EQ(written.find(secret->text), std::string::npos) << row.name << ":\n" << written;
      EXPECT_EQ(written.find(secret->hex), std::string::npos) << row.name << ":\n" << written;
    }
  }
}

// The one run with a simulator that restarts as slowly as a gateway does;
// each switch time-out leaves it half a second more.
TEST_F(DeviceCommands, RestartWaitsForTheFirmwareAndARefusalNamesItsCause) {
  constexpr auto kMargin = std::chrono::milliseconds(500);
  WriteSettings("CommunicationTimeoutSwitchToLoader=" + std::to_string((sim::kRestartToLoaderMs + kMargin).count()) +
                "\nCommunicationTimeoutSwitchToFirmware=" +
                std::to_string((sim::kLoaderToFirmwareMs + kMargin).count()) + "\n");
  const test::Simulator gateway({"--tcp", "127.0.0.1:0"}, Environment(), test::Restarts::Real);
  ASSERT_FALSE(gateway.endpoint().empty());
  const ProcessResult restarted = Tuskoctl({"--tcp", gateway.endpoint(), "restart"});
  EXPECT_EQ(restarted.exitCode, 0) << restarted.err;
  EXPECT_NE(restarted.out.find("firmware runs again"), std::string::npos) << restarted.out;

  const test::Simulator refusing({"--tcp", "127.0.0.1:0", "--reject", "0x81:0x21:3"}, Environment());
  ASSERT_FALSE(refusing.endpoint().empty());
  const ProcessResult refused = Tuskoctl({"--tcp", refusing.endpoint(), "restart"});
  EXPECT_EQ(refused.exitCode, kExitRejected) << refused.err;
  EXPECT_NE(refused.err.find("Reason (error cause)"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace tusko
