#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tusko {

// One section of a firmware file: where its data goes in flash and where it
// lies in the file.
struct FirmwareSection {
  std::uint32_t address = 0;
  std::uint32_t length = 0;
  std::uint8_t type = 0;
  std::uint64_t dataOffset = 0;
};

// A stretch of flash addresses: `length` bytes from `start`.
struct AddressRange {
  std::uint32_t start = 0;
  std::uint32_t length = 0;
};

enum class FirmwareParseResult : int {
  Ok = 0,
  CannotOpen = 1,
  Empty = 2,
  FormatError = 3,
};

// Section layout of a firmware file: a 12-byte header ("QvZ", type, flash
// address, data length, both little-endian) before each section's data.
inline constexpr std::size_t kFirmwareHeaderBytes = 12;
inline constexpr std::uint8_t kSectionTypeOther = 0;
inline constexpr std::uint8_t kSectionTypeApplication = 1;  // carries the identification
// The identification text starts this many bytes after the first character
// of the signature, and is searched for in the first bytes of a section.
inline constexpr std::size_t kIdentificationTextOffset = 24;
inline constexpr std::size_t kIdentificationSearchBytes = 1024;
inline constexpr std::size_t kIdentificationCapacity = 64;  // characters
extern const char kFirmwareSignature[];                     // NUL-terminated, 20 characters
extern const char kFirmwareSectionMagic[];                  // 3 characters

// The identification in `data`: the text after the first signature, up to
// its NUL, the end of the data, or kIdentificationCapacity characters.
std::optional<std::string> FindIdentificationText(std::span<const std::uint8_t> data);

// Reads a firmware file for the firmware update: checks its structure, lists
// its sections, checks them against the allowed flash ranges, finds the
// identification text, and hands out the data in blocks that never cross a
// flash page.
class FirmwareFile {
 public:
  FirmwareFile() = default;
  ~FirmwareFile();
  FirmwareFile(const FirmwareFile&) = delete;
  FirmwareFile& operator=(const FirmwareFile&) = delete;

  // ---- Settings ----
  void AddAllowedRange(AddressRange range) { allowedRanges_.push_back(range); }
  // Blocks never cross a multiple of `bytes`; 0 means no limit.
  void SetPageSize(std::uint32_t bytes) { pageSize_ = bytes; }
  // When set (the default), a file must hold an application section.
  void SetIdentificationRequired(bool required) { identificationRequired_ = required; }
  bool identificationRequired() const { return identificationRequired_; }

  // ---- Checking ----
  // Closes a file already open, then opens `path` for reading. False when it
  // cannot (also for a folder).
  bool OpenFile(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Rebuilds the section list; opens the last path first when no file is open.
  FirmwareParseResult Parse();
  // True when every section lies inside one allowed range (or there are no
  // ranges); else false with the first section that does not.
  bool CheckAddresses(AddressRange& offending) const;
  // The identification text of the application sections (the last one that
  // holds the signature), cut to kIdentificationCapacity characters. True with
  // an empty text when identification is not required and an application
  // section exists.
  bool FindIdentification(std::string& text);
  const std::vector<FirmwareSection>& sections() const { return sections_; }

  // ---- Reading ----
  void Rewind();
  std::optional<FirmwareSection> CurrentSection() const;
  // Flash address of the next byte to hand out; 0 past the last section.
  std::uint32_t CurrentAddress() const;
  // Up to `buffer.size()` bytes of the current section from the current
  // offset, shortened to end at a page boundary. Returns the count (0 past the
  // last section, -1 when the file gives nothing).
  int ReadBlock(std::span<std::uint8_t> buffer, std::uint32_t& address);
  // Moves past the block last read; `newSection` tells when that began the
  // next section. False when nothing is left.
  bool Advance(bool& newSection);
  std::uint64_t BytesDone() const;
  std::uint64_t BytesTotal() const;

  // Clears the section list and closes the file.
  void CloseFile();

 private:
  // Reads up to `buffer.size()` bytes at `offset`; the count read, or -1 on an error.
  long ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) const;
  bool HasApplicationSection() const;

  int fd_ = -1;
  std::string path_;
  std::uint64_t fileSize_ = 0;
  std::vector<FirmwareSection> sections_;
  std::vector<AddressRange> allowedRanges_;
  std::size_t sectionIndex_ = 0;
  std::uint32_t offsetInSection_ = 0;
  std::uint32_t lastBlockLength_ = 0;
  std::uint32_t pageSize_ = 0;
  bool identificationRequired_ = true;
};

}  // namespace tusko
