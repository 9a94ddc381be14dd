#pragma once

// Runs the built tuskoctl and simulator programs as a user does, for the
// end-to-end tests. A program that crashes, or outlives its limit and is
// killed, fails the test that ran it.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/ShortRestarts.h"
#include "support/TempFolder.h"

extern char** environ;

namespace tusko::test {

// No run here takes more than a few seconds; the limit only ends one that hangs.
inline constexpr std::chrono::milliseconds kRunLimit{60000};
// How often an ended program's exit is looked for once its streams are closed.
inline constexpr int kReapPollMs = 5;

// tuskoctl's settings for the simulator's short restarts; configuration
// blocks follow each other without the pause a real line needs.
inline std::string ShortTimers() {
  const std::string switchMs = std::to_string(kShortSwitchTimeoutMs);
  return "CommunicationTimeoutSwitchToLoader=" + switchMs + "\nCommunicationTimeoutSwitchToFirmware=" + switchMs +
         "\nDataReadWriteRequestDelay=1\n";
}

struct ProcessResult {
  int exitCode = -1;  // -1 when the program did not exit by itself; the test has failed then
  std::string out;
  std::string err;
};

// A started program whose standard output and error are read by the test.
class Process {
 public:
  Process(std::vector<std::string> args, const std::vector<std::string>& environment) : args_(std::move(args)) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(err[1], STDERR_FILENO);
      std::vector<char*> argv;
      for (const std::string& arg : args_) argv.push_back(const_cast<char*>(arg.c_str()));
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
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  // The first line of its standard output, waiting for it within the limit.
  std::string FirstLine(std::chrono::milliseconds limit = kRunLimit) {
    const auto deadline = Clock::now() + limit;
    while (result_.out.find('\n') == std::string::npos && ReadSome(deadline)) {
    }
    if (result_.out.find('\n') == std::string::npos) ADD_FAILURE() << Command() << "\nwrote no line:\n" << result_.err;
    return result_.out.substr(0, result_.out.find('\n'));
  }

  // Kills the program at once, as a pulled plug or a crash of the machine
  // would; ending so is no failure.
  void Kill() {
    if (pid_ <= 0 || reaped_) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    reaped_ = true;
  }

  // Asks the program to end; ending by this signal is no failure.
  void Terminate() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    terminated_ = true;
  }

  // Reads both streams to their end, then collects the exit code, all within
  // the limit; past it the program is killed.
  ProcessResult Finish(std::chrono::milliseconds limit = kRunLimit) {
    const auto deadline = Clock::now() + limit;
    while (ReadSome(deadline)) {
    }
    if (pid_ > 0) Reap(deadline, limit);
    return result_;
  }

 private:
  using Clock = std::chrono::steady_clock;

  std::string Command() const {
    std::string text;
    for (const std::string& arg : args_) text += (text.empty() ? "" : " ") + arg;
    return text;
  }

  // One read from whichever stream has data; false at the end of both, or at the deadline.
  bool ReadSome(Clock::time_point deadline) {
    if (outFd_ < 0 && errFd_ < 0) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    std::array<pollfd, 2> fds{{{outFd_, POLLIN, 0}, {errFd_, POLLIN, 0}}};
    if (left.count() <= 0 || ::poll(fds.data(), fds.size(), static_cast<int>(left.count())) <= 0) return false;
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
    }
    return true;
  }

  // Waits for the exit until the deadline; kills the program there.
  void Reap(Clock::time_point deadline, std::chrono::milliseconds limit) {
    int status = 0;
    pid_t ended = 0;
    while ((ended = ::waitpid(pid_, &status, WNOHANG)) == 0 && Clock::now() < deadline) ::poll(nullptr, 0, kReapPollMs);
    if (ended == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
      ADD_FAILURE() << Command() << "\nran past its limit of " << limit.count() << " ms and was killed; it wrote:\n"
                    << result_.out << result_.err;
    }
    reaped_ = true;
    if (ended == pid_ && WIFEXITED(status)) {
      result_.exitCode = WEXITSTATUS(status);
    } else if (ended == pid_ && !(terminated_ && WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM)) {
      ADD_FAILURE() << Command() << "\ncrashed with signal " << WTERMSIG(status) << "; it wrote:\n"
                    << result_.out << result_.err;
    }
  }

  std::vector<std::string> args_;
  pid_t pid_ = -1;
  bool reaped_ = false;
  bool terminated_ = false;
  int outFd_ = -1;
  int errFd_ = -1;
  ProcessResult result_;
};

// Whether the simulator program restarts quickly or takes as long as a gateway does.
enum class Restarts { Short, Real };

// A started simulator program and the endpoint it answers on (empty when it did not start).
class Simulator {
 public:
  Simulator(std::vector<std::string> args, const std::vector<std::string>& environment,
            Restarts restarts = Restarts::Short)
      : process_(WithProgram(std::move(args), restarts), environment), endpoint_(process_.FirstLine()) {}
  ~Simulator() {
    process_.Terminate();
    process_.Finish();
  }
  const std::string& endpoint() const { return endpoint_; }

 private:
  static std::vector<std::string> WithProgram(std::vector<std::string> args, Restarts restarts) {
    args.insert(args.begin(), {GATEWAYSIM_PATH, "--quiet"});
    if (restarts == Restarts::Short) args.insert(args.end(), {"--restart-ms", std::to_string(kShortRestart.count())});
    return args;
  }
  Process process_;
  std::string endpoint_;
};

// tuskoctl in English with no password from outside, in a fresh settings
// folder whose settings hold only the short timers; the same folder
// is its data folder, where backups go.
class TuskoctlTest : public testing::Test {
 protected:
  void SetUp() override { WriteSettings(ShortTimers()); }

  // Replaces the stored settings by `lines` of NAME=VALUE.
  void WriteSettings(const std::string& lines) const {
    std::filesystem::create_directories(configHome_ / "Ombrel");
    std::ofstream(configHome_ / "Ombrel" / "DravenixIsdnTusko.conf") << "[DravenixIsdnTusko]\n" << lines;
  }

  // `extraEnvironment` holds NAME=VALUE entries for this run only.
  ProcessResult Tuskoctl(std::vector<std::string> args, const std::vector<std::string>& extraEnvironment = {},
                         std::chrono::milliseconds limit = kRunLimit) {
    std::vector<std::string> environment = Environment();
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
    return Process(TuskoctlCommand(std::move(args)), environment).Finish(limit);
  }

  static std::vector<std::string> TuskoctlCommand(std::vector<std::string> args) {
    args.insert(args.begin(), {TUSKOCTL_PATH, "--language", "1", "--lang-dir", TUSKO_RESOURCES_DIR});
    return args;
  }

  std::vector<std::string> Environment() const {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (text.rfind("XDG_CONFIG_HOME=", 0) != 0 && text.rfind("XDG_DATA_HOME=", 0) != 0 &&
          text.rfind("TUSKO_PASSWORD=", 0) != 0) {
        environment.push_back(text);
      }
    }
    environment.push_back("XDG_CONFIG_HOME=" + configHome_.path().string());
    environment.push_back("XDG_DATA_HOME=" + configHome_.path().string());
    return environment;
  }

  // The files of the backups folder in the data folder.
  std::vector<std::filesystem::path> Backups() const {
    std::error_code error;
    const std::filesystem::directory_iterator folder(configHome_ / "Ombrel/DravenixIsdnTusko/backups", error);
    return {begin(folder), end(folder)};
  }

  const TempFolder configHome_;
};

}  // namespace tusko::test
