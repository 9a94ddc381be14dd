#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "config/ConfigurationImage.h"

namespace tusko {

// The configuration file: a 256-byte header (magic, section offsets and
// record counts, data length and byte-sum checksum) and behind it the image,
// section by section, counted tables with only their records in use.
inline constexpr std::size_t kConfigurationHeaderSize = 256;
inline constexpr std::string_view kConfigurationFileMagic = "*DRAVENIXTUSKO-CFGDATA*QRWFMT*";
// Data bytes of a file whose counted tables are all empty.
inline constexpr std::size_t kConfigurationFixedDataSize = 4332;

// Header words (u32, little-endian) by their offset in the header.
namespace fileHeader {
inline constexpr std::size_t kDataOffset = 32;
inline constexpr std::size_t kDataLength = 36;
inline constexpr std::size_t kChecksum = 40;
inline constexpr std::size_t kRoutingOffset = 44;
inline constexpr std::size_t kRoutingCount = 48;
inline constexpr std::size_t kLcrClipOffset = 52;
inline constexpr std::size_t kLcrClipCount = 56;
inline constexpr std::size_t kClipFromGsmOffset = 60;
inline constexpr std::size_t kClipFromGsmCount = 64;
inline constexpr std::size_t kAlarmOffset = 68;
inline constexpr std::size_t kCellSelectionOffset = 72;
inline constexpr std::size_t kCdrOffset = 76;
inline constexpr std::size_t kSmsServerOffset = 80;
inline constexpr std::size_t kInGroupSecondOffset = 84;
inline constexpr std::size_t kModuleSecondOffset = 88;
inline constexpr std::size_t kHttpOutOffset = 92;
inline constexpr std::size_t kSmsNotificationOffset = 96;
inline constexpr std::size_t kMobilityOffset = 100;
inline constexpr std::size_t kMobilityCount = 104;
inline constexpr std::size_t kHttpInAndWorkingHoursOffset = 108;
inline constexpr std::size_t kIsdnCreditOffset = 112;
inline constexpr std::size_t kCreditReportOffset = 116;
inline constexpr std::size_t kTimeSyncOffset = 120;
}  // namespace fileHeader

// Why a file's content was refused; every one is the format error.
enum class ConfigurationFileFault {
  None,
  ShortHeader,         // fewer than 256 bytes
  WrongMagic,          // not the magic, compared case-sensitively
  LengthMismatch,      // file size minus the data offset is not the data length
  CountAboveCapacity,  // more records than the table holds
  ShortData,           // a section reaches past the end of the file
  ChecksumMismatch,    // the byte sum of the data read is not the header's
};

// Positional reads from a file's bytes, wherever they are kept.
class ConfigurationFileBytes {
 public:
  virtual ~ConfigurationFileBytes() = default;
  virtual std::uint64_t Size() const = 0;
  // Fills `out` from `offset`; false when the file holds fewer bytes there.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const = 0;
};

// A file already in memory.
class MemoryConfigurationFileBytes final : public ConfigurationFileBytes {
 public:
  explicit MemoryConfigurationFileBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t Size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const override;

 private:
  std::span<const std::uint8_t> bytes_;
};

struct DecodedConfiguration {
  std::optional<ConfigurationImage> image;  // set exactly when fault is None
  ConfigurationFileFault fault = ConfigurationFileFault::None;
};

// The whole file for an image.
std::vector<std::uint8_t> EncodeConfigurationFile(const ConfigurationImage& image);

// Reads a file into a new image. Sections whose header offset is 0 (for the
// older fixed sections also 0xFFFFFFFF) are skipped and stay 0xFF, so a file
// from a version without them still opens.
DecodedConfiguration DecodeConfigurationFile(const ConfigurationFileBytes& file);

}  // namespace tusko
