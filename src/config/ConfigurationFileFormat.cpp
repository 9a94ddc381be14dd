#include "config/ConfigurationFileFormat.h"

#include <algorithm>
#include <array>
#include <numeric>

#include "config/CountedTables.h"
#include "config/ImageLayout.h"

namespace tusko {
namespace {

namespace L = layout;
namespace H = fileHeader;

constexpr std::uint32_t kNoOffset = 0;
constexpr std::uint32_t kAllOnesOffset = 0xFFFFFFFF;
constexpr unsigned kBitsPerByte = 8;
constexpr std::size_t kWordBytes = 4;

// Which header offsets mean "not in this file": the sections older files
// already had accept both, the later ones only 0.
enum class SkipWhen { ZeroOrAllOnes, ZeroOnly };

// One part of the data behind the general block, in file order.
struct FilePart {
  L::Section section;
  std::size_t recordSize = 0;  // counted tables only
  std::size_t capacity = 0;    // counted tables only
  std::size_t keyByte = 0;     // counted tables only
  std::size_t offsetWord = 0;
  std::size_t countWord = 0;  // counted tables only
  SkipWhen skipWhen = SkipWhen::ZeroOnly;

  constexpr bool IsCounted() const { return recordSize != 0; }
  constexpr L::CountedTable Table() const { return {section, recordSize, capacity, keyByte}; }
};

constexpr FilePart Counted(const L::CountedTable& table, std::size_t offsetWord, std::size_t countWord) {
  return {table.section, table.recordSize, table.capacity, table.keyByte, offsetWord, countWord, SkipWhen::ZeroOnly};
}

constexpr FilePart Fixed(L::Section section, std::size_t offsetWord, SkipWhen skipWhen) {
  return {section, 0, 0, 0, offsetWord, 0, skipWhen};
}

// The HTTP request for incoming calls and the working hours travel as one block.
constexpr L::Section kHttpInAndWorkingHours{L::httpIn::kSection.offset,
                                            L::httpIn::kSection.size + L::workingHours::kSection.size};
static_assert(L::httpIn::kSection.End() == L::workingHours::kSection.offset);

constexpr std::array kParts{
    Counted(L::lcr::kRoutingTable, H::kRoutingOffset, H::kRoutingCount),
    Counted(L::lcr::kClipTable, H::kLcrClipOffset, H::kLcrClipCount),
    Counted(L::clipFromGsm::kTable, H::kClipFromGsmOffset, H::kClipFromGsmCount),
    Fixed(L::alarm::kSection, H::kAlarmOffset, SkipWhen::ZeroOrAllOnes),
    Fixed(L::cellSelection::kSection, H::kCellSelectionOffset, SkipWhen::ZeroOrAllOnes),
    Fixed(L::cdr::kSection, H::kCdrOffset, SkipWhen::ZeroOrAllOnes),
    Fixed(L::smsServer::kSection, H::kSmsServerOffset, SkipWhen::ZeroOrAllOnes),
    Fixed(L::gsmInGroup::kSecondSection, H::kInGroupSecondOffset, SkipWhen::ZeroOrAllOnes),
    Fixed(L::gsmModule::kSecondSection, H::kModuleSecondOffset, SkipWhen::ZeroOrAllOnes),
    Fixed(L::httpOut::kSection, H::kHttpOutOffset, SkipWhen::ZeroOrAllOnes),
    Fixed(L::smsNotification::kSection, H::kSmsNotificationOffset, SkipWhen::ZeroOrAllOnes),
    Counted(L::mobility::kTable, H::kMobilityOffset, H::kMobilityCount),
    Fixed(kHttpInAndWorkingHours, H::kHttpInAndWorkingHoursOffset, SkipWhen::ZeroOnly),
    Fixed(L::isdnCredit::kSection, H::kIsdnCreditOffset, SkipWhen::ZeroOnly),
    Fixed(L::creditReport::kSection, H::kCreditReportOffset, SkipWhen::ZeroOnly),
    Fixed(L::timeSync::kSection, H::kTimeSyncOffset, SkipWhen::ZeroOnly),
};

constexpr std::size_t FixedDataSize() {
  std::size_t size = L::general::kSection.size;
  for (const FilePart& part : kParts) size += part.IsCounted() ? 0 : part.section.size;
  return size;
}
static_assert(FixedDataSize() == kConfigurationFixedDataSize);

using Header = std::array<std::uint8_t, kConfigurationHeaderSize>;

std::uint32_t HeaderWord(const Header& header, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = kWordBytes; i-- > 0;) value = (value << kBitsPerByte) | header[offset + i];
  return value;
}

void SetHeaderWord(Header& header, std::size_t offset, std::size_t value) {
  for (std::size_t i = 0; i < kWordBytes; ++i) header[offset + i] = static_cast<std::uint8_t>(value >> (kBitsPerByte * i));
}

std::uint32_t ByteSum(std::span<const std::uint8_t> bytes, std::uint32_t sum) {
  // Unsigned arithmetic wraps modulo 2^32, as the checksum is defined.
  return std::accumulate(bytes.begin(), bytes.end(), sum, [](std::uint32_t total, std::uint8_t b) { return total + b; });
}

// The header is compared as a zero-terminated string.
bool HasMagic(const Header& header) {
  return std::equal(kConfigurationFileMagic.begin(), kConfigurationFileMagic.end(), header.begin()) &&
         header[kConfigurationFileMagic.size()] == 0;
}

bool IsSkipped(const FilePart& part, std::uint32_t offset) {
  return offset == kNoOffset || (part.skipWhen == SkipWhen::ZeroOrAllOnes && offset == kAllOnesOffset);
}

}  // namespace

bool MemoryConfigurationFileBytes::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) const {
  if (offset > bytes_.size() || out.size() > bytes_.size() - offset) return false;
  std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
  return true;
}

std::vector<std::uint8_t> EncodeConfigurationFile(const ConfigurationImage& image) {
  Header header{};
  std::copy(kConfigurationFileMagic.begin(), kConfigurationFileMagic.end(), header.begin());
  SetHeaderWord(header, H::kDataOffset, kConfigurationHeaderSize);

  std::vector<std::uint8_t> data;
  const auto append = [&](std::span<const std::uint8_t> bytes) { data.insert(data.end(), bytes.begin(), bytes.end()); };
  append(image.Range(L::general::kSection));
  for (const FilePart& part : kParts) {
    SetHeaderWord(header, part.offsetWord, kConfigurationHeaderSize + data.size());
    if (part.IsCounted()) {
      const std::size_t count = CountRecords(image, part.Table());
      SetHeaderWord(header, part.countWord, count);
      append(image.Range(part.section.offset, count * part.recordSize));
    } else {
      append(image.Range(part.section));
    }
  }
  SetHeaderWord(header, H::kDataLength, data.size());
  SetHeaderWord(header, H::kChecksum, ByteSum(data, 0));

  std::vector<std::uint8_t> file(header.size() + data.size());
  std::copy(header.begin(), header.end(), file.begin());
  std::copy(data.begin(), data.end(), file.begin() + static_cast<std::ptrdiff_t>(header.size()));
  return file;
}

DecodedConfiguration DecodeConfigurationFile(const ConfigurationFileBytes& file) {
  const auto refuse = [](ConfigurationFileFault fault) { return DecodedConfiguration{std::nullopt, fault}; };

  Header header{};
  if (!file.ReadAt(0, header)) return refuse(ConfigurationFileFault::ShortHeader);
  if (!HasMagic(header)) return refuse(ConfigurationFileFault::WrongMagic);
  const std::uint64_t dataOffset = HeaderWord(header, H::kDataOffset);
  if (file.Size() < dataOffset || file.Size() - dataOffset != HeaderWord(header, H::kDataLength)) {
    return refuse(ConfigurationFileFault::LengthMismatch);
  }

  // Everything lands in a new image (all 0xFF), so a skipped section stays unset.
  ConfigurationImage image;
  std::span<std::uint8_t> general = image.MutableRange(L::general::kSection);
  // The general block always follows the header directly, whatever the data offset says.
  if (!file.ReadAt(kConfigurationHeaderSize, general)) return refuse(ConfigurationFileFault::ShortData);
  std::uint32_t sum = ByteSum(general, 0);

  for (const FilePart& part : kParts) {
    const std::uint32_t offset = HeaderWord(header, part.offsetWord);
    std::size_t length = part.section.size;
    if (part.IsCounted()) {
      const std::uint32_t count = HeaderWord(header, part.countWord);
      if (count > part.capacity) return refuse(ConfigurationFileFault::CountAboveCapacity);
      if (count == 0) continue;
      length = count * part.recordSize;
    } else if (IsSkipped(part, offset)) {
      continue;
    }
    std::span<std::uint8_t> target = image.MutableRange(part.section.offset, length);
    if (!file.ReadAt(offset, target)) return refuse(ConfigurationFileFault::ShortData);
    sum = ByteSum(target, sum);
  }

  if (sum != HeaderWord(header, H::kChecksum)) return refuse(ConfigurationFileFault::ChecksumMismatch);
  return DecodedConfiguration{std::move(image), ConfigurationFileFault::None};
}

}  // namespace tusko
