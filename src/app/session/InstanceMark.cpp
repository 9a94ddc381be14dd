#include "app/session/InstanceMark.h"

#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tusko {

namespace {

constexpr std::string_view kCommLogSwitch = "-comlog";
// Anyone may test the mark, whoever made the file.
constexpr mode_t kMarkFileMode = 0644;

std::filesystem::path MarkPath(const std::filesystem::path& folder) {
  return folder / std::string(kInstanceMarkName);
}

}  // namespace

std::optional<InstanceMark> InstanceMark::Take(const std::filesystem::path& folder) {
  const int fd = ::open(MarkPath(folder).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, kMarkFileMode);
  if (fd < 0) return std::nullopt;
  if (::flock(fd, LOCK_SH | LOCK_NB) != 0) {
    ::close(fd);
    return std::nullopt;
  }
  return InstanceMark(fd);
}

std::filesystem::path InstanceMark::DefaultFolder() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && runtime[0] == '/') return runtime;
  std::error_code error;
  auto temporary = std::filesystem::temp_directory_path(error);
  return error ? std::filesystem::path("/tmp") : temporary;
}

InstanceMark::InstanceMark(InstanceMark&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

InstanceMark::~InstanceMark() {
  if (fd_ >= 0) ::close(fd_);  // closing drops the lock
}

bool IsInstanceRunning(const std::filesystem::path& folder) {
  const int fd = ::open(MarkPath(folder).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return held;
}

bool CommandLineAsksForCommLog(std::span<char* const> args) {
  std::string commandLine;
  for (const char* arg : args) {
    if (arg == nullptr) continue;
    commandLine += arg;
    commandLine += ' ';
  }
  return commandLine.find(kCommLogSwitch) != std::string::npos;
}

}  // namespace tusko
