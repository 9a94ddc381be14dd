#include "monitor/CdrFile.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>

namespace tusko {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr mode_t kNewFileMode = 0644;
constexpr std::uint32_t kSecondsPerHour = 3600;
constexpr std::uint32_t kSecondsPerMinute = 60;
constexpr std::size_t kFieldCapacity = 64;  // characters of one formatted number field

constexpr std::array<std::string_view, kCdrColumnCount> kHeaderTexts{
    "Date", "Time", "Call Type", "Caller Id", "Called Number", "Call Length", "Input Port", "Output Port", "Cause",
};

template <typename... Args>
std::string Printf(const char* format, Args... args) {
  std::array<char, kFieldCapacity> text{};
  std::snprintf(text.data(), text.size(), format, args...);
  return text.data();
}

std::string PortText(CdrPort port) {
  return Printf("%s/%d", std::string(CdrPortTypeText(port.type)).c_str(), static_cast<int>(port.number));
}

std::string FieldText(const CdrRecord& r, CdrColumn column) {
  switch (column) {
    case CdrColumn::Date: return Printf("%d.%d.%d", r.time.day, r.time.month, r.time.year);
    case CdrColumn::Time: return Printf("%d:%02d:%02d", r.time.hour, r.time.minute, r.time.second);
    case CdrColumn::CallType: return std::string(CdrCallTypeText(r.callType));
    case CdrColumn::CallerId: return r.callerId;
    case CdrColumn::CalledNumber: return r.calledNumber;
    case CdrColumn::CallLength:
      return Printf("%u:%02u:%02u", static_cast<unsigned>(r.lengthSeconds / kSecondsPerHour),
                    static_cast<unsigned>(r.lengthSeconds % kSecondsPerHour / kSecondsPerMinute),
                    static_cast<unsigned>(r.lengthSeconds % kSecondsPerMinute));
    case CdrColumn::InPort: return PortText(r.inPort);
    case CdrColumn::OutPort: return PortText(r.outPort);
    case CdrColumn::Cause: return Printf("%d", static_cast<int>(r.cause));
  }
  return {};
}

// The fields of the placed columns in column order, each ended by the
// separator; the last separator gives way to the line end.
template <typename Field>
std::string Line(const CdrTextLayout& layout, char separator, Field field) {
  std::string line;
  for (std::uint32_t position = 0; position < kCdrColumnPositions; ++position) {
    for (std::size_t column = 0; column < kCdrColumnCount; ++column) {
      if (layout.positions[column] != position) continue;
      line += field(static_cast<CdrColumn>(column));
      line += separator;
    }
  }
  if (!line.empty()) line.pop_back();
  line += kLineEnd;
  return line;
}

}  // namespace

std::string CdrHeaderLine(const CdrTextLayout& layout, char separator) {
  return Line(layout, separator, [](CdrColumn column) { return std::string(kHeaderTexts[static_cast<std::size_t>(column)]); });
}

std::string CdrRecordLine(const CdrRecord& record, const CdrTextLayout& layout, char separator) {
  return Line(layout, separator, [&record](CdrColumn column) { return FieldText(record, column); });
}

CdrFile::~CdrFile() { Close(); }

bool CdrFile::Open(const std::filesystem::path& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
  created_ = fd_ >= 0;
  if (!created_ && errno == EEXIST) fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  path_ = path;
  fileLength_ = 0;
  begun_ = false;
  return true;
}

bool CdrFile::Start() {
  error_ = CdrError::None;
  recordCount_ = 0;
  begun_ = false;
  if (!IsOpen()) error_ = CdrError::WriteFailed;
  return IsOpen();
}

bool CdrFile::Begin() {
  if (begun_) return true;
  if (!IsOpen() || ::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
    error_ = CdrError::WriteFailed;
    return false;
  }
  fileLength_ = 0;
  begun_ = true;
  if (format_ == CdrFormat::Bin || !layout_.header) return true;
  return Append(CdrHeaderLine(layout_, Separator()));
}

bool CdrFile::StoreChunk(std::span<const std::uint8_t> chunk) {
  error_ = CdrError::None;
  // The empty chunk that ends a download is no chunk of records.
  if (chunk.empty()) return true;
  if (format_ == CdrFormat::Bin) {
    if (!Begin() || !Append({reinterpret_cast<const char*>(chunk.data()), chunk.size()})) return false;
    ++recordCount_;
    return true;
  }
  std::string lines;
  std::uint32_t records = 0;
  error_ = FormatChunk(chunk, lines, records);
  if (error_ != CdrError::None || !Begin() || !Append(lines)) return false;
  recordCount_ += records;
  return true;
}

CdrError CdrFile::FormatChunk(std::span<const std::uint8_t> chunk, std::string& lines, std::uint32_t& records) const {
  while (!chunk.empty()) {
    const CdrDecodeResult decoded = DecodeCdrRecord(chunk);
    if (decoded.error != CdrError::None) return decoded.error;
    lines += CdrRecordLine(decoded.record, layout_, Separator());
    ++records;
    chunk = chunk.subspan(kCdrRecordBytes);
  }
  return CdrError::None;
}

bool CdrFile::Append(std::span<const char> bytes) {
  const std::size_t total = bytes.size();
  bool written = IsOpen();
  while (written && !bytes.empty()) {
    const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    written = n > 0;
    if (written) bytes = bytes.subspan(static_cast<std::size_t>(n));
  }
  if (!written) {
    // Best effort: what part of the bytes went out is taken back.
    if (IsOpen() && ::ftruncate(fd_, static_cast<off_t>(fileLength_)) == 0) {
      ::lseek(fd_, static_cast<off_t>(fileLength_), SEEK_SET);
    }
    error_ = CdrError::WriteFailed;
    return false;
  }
  fileLength_ += total;
  return true;
}

void CdrFile::Close() {
  if (IsOpen()) {
    ::close(fd_);
    // A file made for a download that stored nothing is not left behind.
    if (created_ && !begun_) ::unlink(path_.c_str());
  }
  fd_ = -1;
  path_.clear();
  created_ = false;
}

}  // namespace tusko
