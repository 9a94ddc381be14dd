#include "base/FileReplacement.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <functional>
#include <string>
#include <system_error>

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as for any new file
constexpr mode_t kPermissionBits = 07777;
constexpr int kNameAttempts = 100;
constexpr std::size_t kCopyPieceBytes = 64 * 1024;

FileReplacementResult Failure(int error) { return {false, error}; }

// A name beside the target that no other writer uses at the same time: the
// process id and a per-process counter; O_EXCL settles any clash.
fs::path TemporaryName(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  return target.parent_path() / ("." + target.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                                 std::to_string(counter.fetch_add(1)));
}

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return true;
}

bool KeepPermissions(int fd, const fs::path& target) {
  struct stat old {};
  if (::stat(target.c_str(), &old) != 0) return errno == ENOENT;
  return ::fchmod(fd, old.st_mode & kPermissionBits) == 0;
}

// Best effort: the rename has happened; this only hastens it to the disk.
void FlushFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Writes `source` to `fd` in pieces.
bool CopyAll(int fd, int source) {
  std::array<std::uint8_t, kCopyPieceBytes> piece{};
  for (;;) {
    const ssize_t got = ::read(source, piece.data(), piece.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!WriteAll(fd, std::span(piece).first(static_cast<std::size_t>(got)))) return false;
  }
}

// Fills a new file beside the target through `write` and renames it over the target.
FileReplacementResult Replace(const fs::path& path, const std::function<bool(int fd)>& write) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  if (error) return Failure(error.value());
  const fs::path target = fs::weakly_canonical(absolute, error);
  if (error) return Failure(error.value());
  if (target.filename().empty()) return Failure(EISDIR);

  fs::path temporary;
  int fd = -1;
  for (int attempt = 0; attempt < kNameAttempts && fd < 0; ++attempt) {
    temporary = TemporaryName(target);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, kNewFileMode);
    if (fd < 0 && errno != EEXIST) return Failure(errno);
  }
  if (fd < 0) return Failure(EEXIST);

  const bool written = write(fd) && KeepPermissions(fd, target) && ::fsync(fd) == 0;
  int failure = written ? 0 : errno;
  const bool closed = ::close(fd) == 0;  // some file systems report write errors only here
  if (written && !closed) failure = errno;
  bool done = written && closed;
  if (done && ::rename(temporary.c_str(), target.c_str()) != 0) {
    done = false;
    failure = errno;
  }
  if (!done) {
    ::unlink(temporary.c_str());
    return Failure(failure);
  }
  FlushFolder(target.parent_path());
  return {true, 0};
}

}  // namespace

FileReplacementResult ReplaceFileContents(const fs::path& path, std::span<const std::uint8_t> bytes) {
  return Replace(path, [bytes](int fd) { return WriteAll(fd, bytes); });
}

FileReplacementResult ReplaceFileWithCopy(const fs::path& path, const fs::path& source) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Failure(errno);
  const FileReplacementResult result = Replace(path, [in](int fd) { return CopyAll(fd, in); });
  ::close(in);
  return result;
}

}  // namespace tusko
