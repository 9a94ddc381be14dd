#include "config/ConfigurationFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "base/FileReplacement.h"

namespace tusko {
namespace {

// Positional reads from an open descriptor; the descriptor stays the caller's.
class DescriptorFileBytes final : public ConfigurationFileBytes {
 public:
  DescriptorFileBytes(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  std::uint64_t Size() const override { return size_; }

  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override {
    while (!out.empty()) {
      if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) return false;
      const ssize_t count = ::pread(fd_, out.data(), out.size(), static_cast<off_t>(offset));
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) return false;  // end of file or a read error: the bytes are not there
      out = out.subspan(static_cast<std::size_t>(count));
      offset += static_cast<std::uint64_t>(count);
    }
    return true;
  }

 private:
  int fd_;
  std::uint64_t size_;
};

ConfigurationReadResult OpenFailure(ConfigurationReadOutcome outcome, int error) {
  ConfigurationReadResult result;
  result.outcome = outcome;
  result.systemError = error;
  return result;
}

ConfigurationReadResult ReadOpenFile(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return OpenFailure(ConfigurationReadOutcome::CannotOpen, errno);
  if (!S_ISREG(info.st_mode)) {
    return OpenFailure(ConfigurationReadOutcome::CannotOpen, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
  }
  DecodedConfiguration decoded = DecodeConfigurationFile(DescriptorFileBytes(fd, static_cast<std::uint64_t>(info.st_size)));
  ConfigurationReadResult result;
  result.outcome = decoded.image ? ConfigurationReadOutcome::Read : ConfigurationReadOutcome::FormatError;
  result.image = std::move(decoded.image);
  result.fault = decoded.fault;
  return result;
}

}  // namespace

ConfigurationReadResult ReadConfigurationFile(const std::filesystem::path& path) {
  // Non-blocking, so that a FIFO under that name cannot hang the program.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    const int error = errno;
    const bool missing = error == ENOENT || error == ENOTDIR;
    return OpenFailure(missing ? ConfigurationReadOutcome::DoesNotExist : ConfigurationReadOutcome::CannotOpen, error);
  }
  ConfigurationReadResult result = ReadOpenFile(fd);
  ::close(fd);
  return result;
}

std::string_view ConfigurationReadErrorKey(ConfigurationReadOutcome outcome) {
  switch (outcome) {
    case ConfigurationReadOutcome::CannotOpen:
      return "strDataOpenErrorOpen";
    case ConfigurationReadOutcome::DoesNotExist:
      return "strDataOpenErrorNoFile";
    case ConfigurationReadOutcome::FormatError:
      return "strDataOpenErrorFormat";
    case ConfigurationReadOutcome::Read:
      break;
  }
  return {};
}

ConfigurationWriteResult WriteConfigurationFile(const std::filesystem::path& path, const ConfigurationImage& image) {
  const FileReplacementResult replaced = ReplaceFileContents(path, EncodeConfigurationFile(image));
  return {replaced.replaced, replaced.systemError};
}

}  // namespace tusko
