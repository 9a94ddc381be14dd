#include "protocol/FirmwareFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace tusko {

const char kFirmwareSignature[] = "Ombrel Gsm_PW RQX904";
const char kFirmwareSectionMagic[] = "QvZ";

namespace {

constexpr std::size_t kMagicBytes = 3;
constexpr std::size_t kTypeOffset = 3;
constexpr std::size_t kAddressOffset = 4;
constexpr std::size_t kLengthOffset = 8;
constexpr std::uint32_t kLastFlashAddress = 0xFFFFFFFF;
// The signature is matched together with its NUL.
constexpr std::size_t kSignatureBytes = sizeof kFirmwareSignature;

std::uint32_t ReadLittleEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) | static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 | static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

bool Fits(const FirmwareSection& section, const AddressRange& range) {
  const std::uint64_t end = std::uint64_t{section.address} + section.length;
  return range.start <= section.address && end <= std::uint64_t{range.start} + range.length;
}

}  // namespace

std::optional<std::string> FindIdentificationText(std::span<const std::uint8_t> data) {
  const auto* signature = reinterpret_cast<const std::uint8_t*>(kFirmwareSignature);
  const auto found = std::search(data.begin(), data.end(), signature, signature + kSignatureBytes);
  if (found == data.end()) return std::nullopt;
  const std::size_t textStart = static_cast<std::size_t>(found - data.begin()) + kIdentificationTextOffset;
  if (textStart >= data.size()) return std::string();
  const auto text = data.subspan(textStart, std::min(data.size() - textStart, kIdentificationCapacity));
  const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
  return std::string(text.begin(), end);
}

FirmwareFile::~FirmwareFile() { CloseFile(); }

bool FirmwareFile::OpenFile(const std::string& path) {
  CloseFile();
  path_ = path;
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat status {};
  if (::fstat(fd_, &status) != 0 || !S_ISREG(status.st_mode)) {
    CloseFile();
    return false;
  }
  fileSize_ = static_cast<std::uint64_t>(status.st_size);
  return true;
}

long FirmwareFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const {
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got =
        ::pread(fd_, buffer.data() + done, buffer.size() - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<long>(done);
}

FirmwareParseResult FirmwareFile::Parse() {
  sections_.clear();
  Rewind();
  if (!IsOpen() && !OpenFile(path_)) return FirmwareParseResult::CannotOpen;
  if (fileSize_ == 0) return FirmwareParseResult::Empty;

  std::uint64_t position = 0;
  std::array<std::uint8_t, kFirmwareHeaderBytes> header{};
  for (;;) {
    const long got = ReadAt(position, header);
    if (got == 0) break;
    if (got != static_cast<long>(header.size())) return FirmwareParseResult::FormatError;
    FirmwareSection section;
    section.type = header[kTypeOffset];
    section.address = ReadLittleEndian32(header, kAddressOffset);
    section.length = ReadLittleEndian32(header, kLengthOffset);
    section.dataOffset = position + kFirmwareHeaderBytes;
    if (std::memcmp(header.data(), kFirmwareSectionMagic, kMagicBytes) != 0 || section.length == 0 ||
        section.type > kSectionTypeApplication) {
      return FirmwareParseResult::FormatError;
    }
    // A section that claims more data than the file holds could never be sent whole.
    if (section.length > fileSize_ - section.dataOffset) return FirmwareParseResult::FormatError;
    // A section past the top of the address space would wrap its block addresses to 0, where the
    // gateway's loader lives; refused whatever the address check says.
    if (section.length - 1 > kLastFlashAddress - section.address) return FirmwareParseResult::FormatError;
    sections_.push_back(section);
    position = section.dataOffset + section.length;
  }
  if (sections_.empty()) return FirmwareParseResult::FormatError;
  if (identificationRequired_ && !HasApplicationSection()) return FirmwareParseResult::FormatError;
  return FirmwareParseResult::Ok;
}

bool FirmwareFile::CheckAddresses(AddressRange& offending) const {
  if (allowedRanges_.empty()) return true;
  for (const FirmwareSection& section : sections_) {
    const bool fits = std::any_of(allowedRanges_.begin(), allowedRanges_.end(),
                                  [&section](const AddressRange& range) { return Fits(section, range); });
    if (!fits) {
      offending = {section.address, section.length};
      return false;
    }
  }
  return true;
}

bool FirmwareFile::HasApplicationSection() const {
  return std::any_of(sections_.begin(), sections_.end(),
                     [](const FirmwareSection& s) { return s.type == kSectionTypeApplication; });
}

bool FirmwareFile::FindIdentification(std::string& text) {
  text.clear();
  if (!HasApplicationSection()) return false;
  if (!identificationRequired_) return true;
  bool found = false;
  std::array<std::uint8_t, kIdentificationSearchBytes> head{};
  for (const FirmwareSection& section : sections_) {
    if (section.type != kSectionTypeApplication) continue;
    const auto wanted = std::span(head).first(std::min<std::size_t>(section.length, head.size()));
    const long got = ReadAt(section.dataOffset, wanted);
    if (got <= 0) continue;
    if (auto identification = FindIdentificationText(wanted.first(static_cast<std::size_t>(got)))) {
      text = std::move(*identification);
      found = true;
    }
  }
  return found;
}

void FirmwareFile::Rewind() {
  sectionIndex_ = 0;
  offsetInSection_ = 0;
  lastBlockLength_ = 0;
}

std::optional<FirmwareSection> FirmwareFile::CurrentSection() const {
  if (sectionIndex_ >= sections_.size()) return std::nullopt;
  return sections_[sectionIndex_];
}

std::uint32_t FirmwareFile::CurrentAddress() const {
  const auto section = CurrentSection();
  return section ? section->address + offsetInSection_ : 0;
}

int FirmwareFile::ReadBlock(std::span<std::uint8_t> buffer, std::uint32_t& address) {
  const auto section = CurrentSection();
  if (!section) return 0;
  if (buffer.empty() || !IsOpen()) return -1;
  const std::size_t left = section->length - offsetInSection_;
  auto length = static_cast<std::uint32_t>(std::min(buffer.size(), left));
  const std::uint64_t first = std::uint64_t{section->address} + offsetInSection_;
  if (pageSize_ != 0 && first / pageSize_ != (first + length - 1) / pageSize_) {
    length = static_cast<std::uint32_t>(pageSize_ - first % pageSize_);
  }
  const long got = ReadAt(section->dataOffset + offsetInSection_, buffer.first(length));
  if (got < 1) return -1;
  lastBlockLength_ = static_cast<std::uint32_t>(got);
  address = static_cast<std::uint32_t>(first);
  return static_cast<int>(got);
}

bool FirmwareFile::Advance(bool& newSection) {
  newSection = false;
  const auto section = CurrentSection();
  if (!section) return false;
  if (lastBlockLength_ == 0) return true;
  const std::uint64_t next = std::uint64_t{offsetInSection_} + lastBlockLength_;
  lastBlockLength_ = 0;
  if (next < section->length) {
    offsetInSection_ = static_cast<std::uint32_t>(next);
    return true;
  }
  ++sectionIndex_;
  offsetInSection_ = 0;
  if (sectionIndex_ >= sections_.size()) return false;
  newSection = true;
  return true;
}

std::uint64_t FirmwareFile::BytesDone() const {
  std::uint64_t done = offsetInSection_;
  for (std::size_t i = 0; i < std::min(sectionIndex_, sections_.size()); ++i) done += sections_[i].length;
  return done;
}

std::uint64_t FirmwareFile::BytesTotal() const {
  std::uint64_t total = 0;
  for (const FirmwareSection& section : sections_) total += section.length;
  return total;
}

void FirmwareFile::CloseFile() {
  sections_.clear();
  Rewind();
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  fileSize_ = 0;
}

}  // namespace tusko
