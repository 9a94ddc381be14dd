#include "monitor/MonitorTempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/FileReplacement.h"

namespace tusko {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kPrivateFileMode = 0600;

std::atomic<unsigned> gLogsOfThisProcess{0};

std::string TempFileName() {
  const unsigned count = ++gLogsOfThisProcess;
  std::string name = "~monlog-" + std::to_string(::getpid());
  if (count > 1) name += "-" + std::to_string(count);
  return name + ".tmp";
}

std::error_code SystemError(int number) { return {number, std::generic_category()}; }

}  // namespace

MonitorTempFile::MonitorTempFile(const fs::path& folder) : path_(folder / TempFileName()) {
  // An empty folder is the working directory, which exists.
  if (!folder.empty()) fs::create_directories(folder, error_);
  if (!error_) Restart();
}

MonitorTempFile::~MonitorTempFile() {
  Close();
  // Only a file this log made: whatever else stood under the name is left alone.
  std::error_code ignored;
  if (created_) fs::remove(path_, ignored);
}

void MonitorTempFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

void MonitorTempFile::Write(std::string_view bytes) {
  if (file_ == nullptr || bytes.empty()) return;
  // Flushed at once: the file is the record of the session even if the program dies.
  std::fwrite(bytes.data(), 1, bytes.size(), file_);
  std::fflush(file_);
}

std::error_code MonitorTempFile::Restart() {
  Close();
  // Not through a link another user may have planted in the folder.
  const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, kPrivateFileMode);
  if (fd < 0) {
    error_ = SystemError(errno);
    return error_;
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    error_ = SystemError(errno);
    ::close(fd);
    return error_;
  }
  created_ = true;
  error_.clear();
  return error_;
}

std::error_code MonitorTempFile::CopyTo(const fs::path& target) {
  if (file_ == nullptr) return error_ ? error_ : SystemError(EBADF);
  std::error_code same;
  if (fs::equivalent(target, path_, same)) return SystemError(EINVAL);
  std::ifstream in(path_, std::ios::binary);
  if (!in) return SystemError(errno != 0 ? errno : EIO);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return SystemError(EIO);
  const FileReplacementResult result = ReplaceFileContents(target, bytes);
  return result.replaced ? std::error_code() : SystemError(result.systemError);
}

}  // namespace tusko
