#include "protocol/engine/ConfigTransferRules.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace tusko {

namespace {

// The tables whose empty tails the download does not read.
constexpr std::array kSkippableTables{
    layout::lcr::kRoutingTable,
    layout::lcr::kClipTable,
    layout::clipFromGsm::kTable,
    layout::mobility::kTable,
};

bool IsEmptyEntry(const ConfigurationImage& image, const layout::CountedTable& table, std::size_t index) {
  const auto entry = image.Range(table.RecordOffset(index), table.recordSize);
  return std::all_of(entry.begin(), entry.end(), [](std::uint8_t byte) { return byte == layout::kUnset; });
}

std::size_t SkipTableTail(ConfigurationImage& image, const layout::CountedTable& table, std::size_t acknowledged) {
  for (std::size_t entry = 1; entry < table.capacity; ++entry) {
    const std::size_t entryStart = table.RecordOffset(entry);
    if (entryStart >= acknowledged) break;
    if (IsEmptyEntry(image, table, entry - 1)) {
      image.Fill(entryStart, table.section.End() - entryStart, layout::kUnset);
      return table.section.End();
    }
  }
  return acknowledged;
}

}  // namespace

std::uint32_t ConfigDeviceAddress(std::size_t offset) {
  return kConfigBaseAddress + static_cast<std::uint32_t>(offset);
}

std::optional<std::size_t> ConfigImageOffset(std::uint32_t address) {
  if (address < kConfigBaseAddress || address - kConfigBaseAddress >= kConfigImageSize) return std::nullopt;
  return address - kConfigBaseAddress;
}

bool CrossesFlashPage(std::uint32_t firstAddress, std::size_t length) {
  if (length == 0) return false;
  const std::uint64_t last = std::uint64_t{firstAddress} + length - 1;
  return firstAddress / kFlashPageBytes != last / kFlashPageBytes;
}

std::size_t UploadBlockLength(std::size_t offset) {
  const std::uint32_t first = ConfigDeviceAddress(offset);
  if (!CrossesFlashPage(first, kMaxWriteBlockBytes)) return kMaxWriteBlockBytes;
  return kFlashPageBytes - first % kFlashPageBytes;
}

std::vector<std::uint8_t> UploadBlock(const ConfigurationImage& image, std::size_t offset) {
  if (offset >= kConfigImageSize) return {};
  const std::size_t length = UploadBlockLength(offset);
  const auto bytes = image.Range(offset, std::min(length, kConfigImageSize - offset));
  std::vector<std::uint8_t> block(bytes.begin(), bytes.end());
  if (block.size() < length) {
    const std::size_t padded = (block.size() + kWriteGranuleBytes - 1) / kWriteGranuleBytes * kWriteGranuleBytes;
    block.resize(padded, layout::kUnset);
  }
  return block;
}

std::size_t UploadSkip(const ConfigurationImage& image, std::size_t offset) {
  if (offset >= kConfigImageSize) return kConfigImageSize;
  const auto& bytes = image.AllBytes();
  const auto set = std::find_if(bytes.begin() + static_cast<std::ptrdiff_t>(offset), bytes.end(),
                                [](std::uint8_t byte) { return byte != layout::kUnset; });
  if (set == bytes.end()) return kConfigImageSize;
  const auto position = static_cast<std::size_t>(std::distance(bytes.begin(), set));
  return std::max(offset, position / kWriteGranuleBytes * kWriteGranuleBytes);
}

std::size_t DownloadSkip(ConfigurationImage& image, std::size_t acknowledged) {
  for (const layout::CountedTable& table : kSkippableTables) {
    if (acknowledged > table.section.offset && acknowledged < table.section.End()) {
      return SkipTableTail(image, table, acknowledged);
    }
  }
  return acknowledged;
}

int TransferProgress(std::size_t requestOffset) {
  return static_cast<int>(std::min(requestOffset, kConfigImageSize) * kProgressComplete / kConfigImageSize);
}

}  // namespace tusko
