#include "monitor/MonitorTempFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include "base/FileReplacement.h"
#include "base/ProcessStatus.h"

namespace tusko {

namespace {

namespace fs = std::filesystem;

constexpr mode_t kPrivateFileMode = 0600;

constexpr std::string_view kNamePrefix = "~monlog-";
constexpr std::string_view kNameSuffix = ".tmp";

std::atomic<unsigned> gLogsOfThisProcess{0};

std::string TempFileName() {
  const unsigned count = ++gLogsOfThisProcess;
  std::string name = std::string(kNamePrefix) + std::to_string(CurrentProcessId());
  if (count > 1) name += "-" + std::to_string(count);
  return name + std::string(kNameSuffix);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process id in a name TempFileName makes ("~monlog-<pid>[-<count>].tmp").
std::optional<long> ProcessOfName(std::string_view name) {
  if (!name.starts_with(kNamePrefix) || !name.ends_with(kNameSuffix)) return std::nullopt;
  name.remove_prefix(kNamePrefix.size());
  name.remove_suffix(kNameSuffix.size());
  const std::size_t dash = name.find('-');
  const std::string_view id = name.substr(0, dash);
  if (!AllDigits(id) || (dash != std::string_view::npos && !AllDigits(name.substr(dash + 1)))) return std::nullopt;
  long process = 0;
  if (std::from_chars(id.data(), id.data() + id.size(), process).ec != std::errc()) return std::nullopt;
  return process;
}

// The files of logs whose program ended without deleting them.
void RemoveLeftFiles(const fs::path& folder) {
  std::error_code error;
  const fs::path searched = folder.empty() ? fs::path(".") : folder;
  for (fs::directory_iterator entry(searched, error), end; !error && entry != end; entry.increment(error)) {
    const std::optional<long> owner = ProcessOfName(entry->path().filename().string());
    if (!owner || *owner == CurrentProcessId() || IsProcessRunning(*owner)) continue;
    std::error_code ignored;
    if (entry->symlink_status(ignored).type() == fs::file_type::regular) fs::remove(entry->path(), ignored);
  }
}

std::error_code SystemError(int number) { return {number, std::generic_category()}; }

}  // namespace

MonitorTempFile::MonitorTempFile(const fs::path& folder) : path_(folder / TempFileName()) {
  // An empty folder is the working directory, which exists.
  if (!folder.empty()) fs::create_directories(folder, error_);
  if (error_) return;
  RemoveLeftFiles(folder);
  Restart();
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
  const FileReplacementResult result = ReplaceFileWithCopy(target, path_);
  return result.replaced ? std::error_code() : SystemError(result.systemError);
}

}  // namespace tusko
