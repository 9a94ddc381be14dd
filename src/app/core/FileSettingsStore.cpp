#include "app/core/FileSettingsStore.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "app/core/SettingsValueCodec.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVendorFolder = "Ombrel";
constexpr std::string_view kSettingsFileName = "DravenixIsdnTusko.conf";
constexpr std::string_view kDefaultConfigFolder = ".config";
constexpr std::size_t kReadChunkBytes = 4096;
constexpr std::size_t kPasswordBufferBytes = 16384;
constexpr mode_t kPermissionBits = 07777;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting the failures that only close shows.
  bool close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::optional<fs::path> HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return fs::path(home);
  std::array<char, kPasswordBufferBytes> buffer{};
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return std::nullopt;
  }
  return fs::path(found->pw_dir);
}

// The whole file; empty text when it does not exist; nothing when it exists
// but cannot be read, is no regular file or is too large to be settings.
std::optional<std::string> ReadSettingsFile(const fs::path& path) {
  // Non-blocking, so that a FIFO in its place cannot hang the program.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::string();
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  std::string text;
  std::array<char, kReadChunkBytes> chunk{};
  for (;;) {
    const ssize_t count = ::read(file.get(), chunk.data(), chunk.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return std::nullopt;
    if (count == 0) return text;
    text.append(chunk.data(), static_cast<std::size_t>(count));
    if (text.size() > kMaxSettingsFileBytes) return std::nullopt;
  }
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t count = ::write(fd, data.data(), data.size());
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return false;
    data.remove_prefix(static_cast<std::size_t>(count));
  }
  return true;
}

// A replaced file keeps the permissions someone gave it.
bool TakeOverMode(int fd, const fs::path& target) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0) return errno == ENOENT;
  return ::fchmod(fd, info.st_mode & kPermissionBits) == 0;
}

void SyncFolder(const fs::path& folder) {
  FileDescriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // Best effort: the rename is done; this only hastens it to the disk.
  if (handle.get() >= 0) ::fsync(handle.get());
}

// Writes a temporary file beside the target, flushes it to the disk and
// renames it over the target, so that the target is always either the old
// file or the new one, whole.
bool ReplaceFile(const fs::path& path, std::string_view text) {
  std::error_code error;
  // Through a symbolic link: the file it points to is replaced, not the link.
  const fs::path target = fs::weakly_canonical(path, error);
  if (error) return false;
  const fs::path folder = target.parent_path();
  fs::create_directories(folder, error);
  if (error) return false;
  std::string temporary = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
  if (file.get() < 0) return false;
  bool written = WriteAll(file.get(), text) && TakeOverMode(file.get(), target) && ::fsync(file.get()) == 0;
  written = file.close() && written;
  if (!written || ::rename(temporary.c_str(), target.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

}  // namespace

FileSettingsStore::FileSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::filesystem::path> FileSettingsStore::DefaultFilePath() {
  fs::path base;
  // A relative XDG_CONFIG_HOME is to be ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    base = config;
  } else if (const auto home = HomeFolder()) {
    base = *home / kDefaultConfigFolder;
  } else {
    return std::nullopt;
  }
  return base / kVendorFolder / kSettingsFileName;
}

bool FileSettingsStore::refresh() {
  const auto text = ReadSettingsFile(file_);
  if (!text) return false;
  document_ = SettingsDocument::Parse(*text);
  for (const auto& edit : pending_) Apply(document_, edit);
  return true;
}

bool FileSettingsStore::openSection(std::string_view) { return refresh(); }

std::optional<std::uint32_t> FileSettingsStore::readNumber(std::string_view section, std::string_view name) const {
  const auto raw = document_.value(section, name);
  return raw ? DecodeSettingsNumber(*raw) : std::nullopt;
}

std::optional<std::string> FileSettingsStore::readText(std::string_view section, std::string_view name) const {
  const auto raw = document_.value(section, name);
  return raw ? std::optional(DecodeSettingsText(*raw)) : std::nullopt;
}

bool FileSettingsStore::Apply(SettingsDocument& document, const Edit& edit) {
  if (edit.raw) return document.setValue(edit.section, edit.name, *edit.raw);
  document.removeValue(edit.section, edit.name);
  return true;
}

bool FileSettingsStore::record(Edit edit) {
  if (!Apply(document_, edit)) return false;
  std::erase_if(pending_, [&](const Edit& older) {
    return SameSettingsName(older.section, edit.section) && SameSettingsName(older.name, edit.name);
  });
  pending_.push_back(std::move(edit));
  return true;
}

bool FileSettingsStore::writeNumber(std::string_view section, std::string_view name, std::uint32_t value) {
  return record({std::string(section), std::string(name), EncodeSettingsNumber(value)});
}

bool FileSettingsStore::writeText(std::string_view section, std::string_view name, std::string_view value) {
  return record({std::string(section), std::string(name), EncodeSettingsText(value)});
}

bool FileSettingsStore::deleteValue(std::string_view section, std::string_view name) {
  return record({std::string(section), std::string(name), std::nullopt});
}

bool FileSettingsStore::commit() {
  if (pending_.empty()) return true;
  // Read again so that what someone changed in the file meanwhile is kept.
  if (!refresh() || !ReplaceFile(file_, document_.text())) return false;
  pending_.clear();
  return true;
}

}  // namespace tusko
