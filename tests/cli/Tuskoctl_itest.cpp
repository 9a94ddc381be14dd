// tuskoctl end to end: the built program against its built-in simulator and
// against the simulator program, as a user runs them.
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/RefusingPort.h"

extern char** environ;

namespace tusko {
namespace {

namespace fs = std::filesystem;

// Only ends a run that has already failed.
constexpr int kRunLimitMs = 60000;
constexpr int kExitRejected = 3;
constexpr int kExitNoLink = 6;

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// A started program whose standard output and error are read by the test.
class Process {
 public:
  Process(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      std::vector<char*> argv;
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      std::vector<char*> envp;
      for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
      envp.push_back(nullptr);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    outFd_ = out[0];
    errFd_ = err[0];
  }
  ~Process() {
    if (pid_ > 0 && !reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (outFd_ >= 0) ::close(outFd_);
    if (errFd_ >= 0) ::close(errFd_);
  }

  // The first line of its standard output, waiting for it within the limit.
  std::string FirstLine() {
    while (result_.out.find('\n') == std::string::npos && ReadSome()) {
    }
    return result_.out.substr(0, result_.out.find('\n'));
  }

  void Terminate() const {
    if (pid_ > 0) ::kill(pid_, SIGTERM);
  }

  // Reads both streams to their end, then collects the exit code.
  ProcessResult Finish() {
    while (ReadSome()) {
    }
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) {
      reaped_ = true;
      result_.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return result_;
  }

 private:
  // One read from whichever stream has data; false at the end of both, or after the limit.
  bool ReadSome() {
    std::array<pollfd, 2> fds{{{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}}};
    if (outFd_ < 0 && errFd_ < 0) return false;
    if (::poll(fds.data(), fds.size(), kRunLimitMs) <= 0) return false;
    bool any = false;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      int& fd = i == 0 ? outFd_ : errFd_;
      if (n <= 0) {
        ::close(fd);
        fd = -1;
        continue;
      }
      (i == 0 ? result_.out : result_.err).append(buffer, static_cast<std::size_t>(n));
      any = true;
    }
    return any || outFd_ >= 0 || errFd_ >= 0;
  }

  pid_t pid_ = -1;
  bool reaped_ = false;
  int outFd_ = -1;
  int errFd_ = -1;
  ProcessResult result_;
};

class TuskoctlInfo : public testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/tuskoctl-itest-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    configHome_ = folder;
  }
  void TearDown() override { fs::remove_all(configHome_); }

  // tuskoctl in English with no stored settings and no password from outside.
  ProcessResult Tuskoctl(std::vector<std::string> args) {
    std::vector<std::string> all = {TUSKOCTL_PATH, "--language", "1", "--lang-dir", TUSKO_RESOURCES_DIR};
    all.insert(all.end(), args.begin(), args.end());
    return Process(all, Environment()).Finish();
  }

  std::vector<std::string> Environment() const {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (text.rfind("XDG_CONFIG_HOME=", 0) != 0 && text.rfind("TUSKO_PASSWORD=", 0) != 0) environment.push_back(text);
    }
    environment.push_back("XDG_CONFIG_HOME=" + configHome_.string());
    return environment;
  }

  static void ExpectGatewayReport(const std::string& out) {
    for (const char* line : {"Firmware version: +1\\.2\\.5", "Loader version: +1\\.0\\.3", "Gateway name: +Sentarix",
                             "Data version: +0x010200", "DHCP: +off", "IP address: +192\\.168\\.1\\.100",
                             "Subnet mask: +255\\.255\\.255\\.0", "Default gateway: +192\\.168\\.1\\.1",
                             "TCP port: +1002"}) {
      EXPECT_TRUE(std::regex_search(out, std::regex(line))) << line << " missing in:\n" << out;
    }
  }

  fs::path configHome_;
};

TEST_F(TuskoctlInfo, TalksToTheBuiltInSimulatorWhenNoGatewayIsConfigured) {
  const ProcessResult result = Tuskoctl({"info"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_NE(result.err.find("built-in simulator at 127.0.0.1:"), std::string::npos) << result.err;
  ExpectGatewayReport(result.out);
}

TEST_F(TuskoctlInfo, ReadsTheSimulatorProgramOverTcpAndLogsTheTraffic) {
  Process simulator({GATEWAYSIM_PATH, "--quiet", "--tcp", "127.0.0.1:0"}, Environment());
  const std::string endpoint = simulator.FirstLine();
  ASSERT_FALSE(endpoint.empty()) << simulator.Finish().err;
  const fs::path comlog = configHome_ / "comlog.txt";

  const ProcessResult result = Tuskoctl({"--tcp", endpoint, "--comlog", comlog.string(), "info"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err.find("built-in"), std::string::npos) << result.err;
  ExpectGatewayReport(result.out);

  std::ifstream file(comlog);
  std::stringstream log;
  log << file.rdbuf();
  for (const char* line : {"Init communication\n", "TCP Connect - ", "OUT: A1 02 15 00 48\n", " IN: A2 ", "Close communication\n"}) {
    EXPECT_NE(log.str().find(line), std::string::npos) << line << " missing in:\n" << log.str();
  }
  simulator.Terminate();
  simulator.Finish();
}

TEST_F(TuskoctlInfo, AGatewayRefusingTheRequestEndsWithItsCause) {
  Process simulator({GATEWAYSIM_PATH, "--quiet", "--tcp", "127.0.0.1:0", "--reject", "0x15:0x21:3"}, Environment());
  const std::string endpoint = simulator.FirstLine();
  ASSERT_FALSE(endpoint.empty()) << simulator.Finish().err;

  const ProcessResult result = Tuskoctl({"--tcp", endpoint, "info"});
  EXPECT_EQ(result.exitCode, kExitRejected);
  EXPECT_NE(result.err.find("Reason (error cause): 21"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
  simulator.Terminate();
  simulator.Finish();
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
