#include "app/settings/FileSettingsStore.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <system_error>

#include "app/settings/SettingsValueCodec.h"
#include "app/settings/UserFolders.h"
#include "base/FileReplacement.h"

namespace tusko {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kVendorFolder = "Ombrel";
constexpr std::string_view kSettingsFileName = "DravenixIsdnTusko.conf";
constexpr std::string_view kDefaultConfigFolder = ".config";
constexpr std::size_t kReadChunkBytes = 4096;

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

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

// The settings folder may not exist yet on a fresh account.
bool ReplaceFile(const fs::path& path, std::string_view text) {
  std::error_code error;
  fs::create_directories(fs::absolute(path, error).parent_path(), error);
  if (error) return false;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return ReplaceFileContents(path, {bytes, text.size()}).replaced;
}

}  // namespace

FileSettingsStore::FileSettingsStore(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::filesystem::path> FileSettingsStore::DefaultFilePath() {
  const std::optional<fs::path> base = XdgBaseFolder("XDG_CONFIG_HOME", kDefaultConfigFolder);
  if (!base) return std::nullopt;
  return *base / kVendorFolder / kSettingsFileName;
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
