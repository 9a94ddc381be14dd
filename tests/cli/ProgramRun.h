#pragma once

// Runs the built tuskoctl and simulator programs as a user does, for the
// end-to-end tests.
#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tusko::test {

// Only ends a run that has already failed.
inline constexpr int kRunLimitMs = 60000;

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

// A started simulator program and the endpoint it answers on (empty when it did not start).
class Simulator {
 public:
  Simulator(std::vector<std::string> args, const std::vector<std::string>& environment)
      : process_(WithProgram(std::move(args)), environment), endpoint_(process_.FirstLine()) {}
  ~Simulator() {
    process_.Terminate();
    process_.Finish();
  }
  const std::string& endpoint() const { return endpoint_; }

 private:
  static std::vector<std::string> WithProgram(std::vector<std::string> args) {
    args.insert(args.begin(), {GATEWAYSIM_PATH, "--quiet"});
    return args;
  }
  Process process_;
  std::string endpoint_;
};

// tuskoctl in English with no stored settings and no password from outside,
// in a fresh settings folder.
class TuskoctlTest : public testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/tuskoctl-itest-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    configHome_ = folder;
  }
  void TearDown() override { std::filesystem::remove_all(configHome_); }

  // `extraEnvironment` holds NAME=VALUE entries for this run only.
  ProcessResult Tuskoctl(std::vector<std::string> args, const std::vector<std::string>& extraEnvironment = {}) {
    std::vector<std::string> all = {TUSKOCTL_PATH, "--language", "1", "--lang-dir", TUSKO_RESOURCES_DIR};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<std::string> environment = Environment();
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return Process(all, environment).Finish();
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

  std::filesystem::path configHome_;
};

}  // namespace tusko::test
