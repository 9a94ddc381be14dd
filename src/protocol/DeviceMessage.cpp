#include "protocol/DeviceMessage.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tusko {

namespace {

std::uint8_t ChecksumOf(const DeviceMessage& message, bool includeChecksumByte) {
  const auto& bytes = message.buffer();
  const std::size_t count = kMessageHeaderSize + message.ieLength() + (includeChecksumByte ? 1 : 0);
  unsigned sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += bytes[i];
  return static_cast<std::uint8_t>(sum);
}

// Walks the elements of an IE area until `stop(id)` returns true and returns
// the offset of that element, or the area length when none stopped the walk.
// Only elements whose identifier and length bytes lie inside the area count.
template <typename Stop>
std::size_t WalkElements(std::span<const std::uint8_t> area, Stop stop) {
  std::size_t at = 0;
  while (at + 1 < area.size()) {
    if (stop(area[at])) return at;
    at += kElementHeaderSize + area[at + 1];
  }
  return area.size();
}

// The data of the element at `at`, clipped to the area when its length byte claims more.
std::span<const std::uint8_t> ElementData(std::span<const std::uint8_t> area, std::size_t at) {
  const std::size_t start = at + kElementHeaderSize;
  return area.subspan(start, std::min<std::size_t>(area[at + 1], area.size() - start));
}

}  // namespace

DeviceMessage DeviceMessage::FromBytes(std::span<const std::uint8_t> bytes) {
  DeviceMessage message;
  const std::size_t count = std::min(bytes.size(), kMessageBufferSize);
  std::copy_n(bytes.begin(), count, message.bytes_.begin());
  return message;
}

DeviceMessage CreateMessage(MessageType type) {
  DeviceMessage message;
  message.buffer()[0] = static_cast<std::uint8_t>(type);
  return message;
}

bool AddElement(DeviceMessage& message, std::uint8_t id, std::span<const std::uint8_t> data) {
  const std::size_t length = message.ieLength();
  const std::size_t grow = kElementHeaderSize + data.size();
  if (data.size() > kMaxIeAreaLength || length + grow > kMaxIeAreaLength) return false;

  // The data may be a view into this very message (an element copied within
  // it); take it aside before the area moves underneath it.
  std::array<std::uint8_t, kMaxIeAreaLength> copy;
  std::copy(data.begin(), data.end(), copy.begin());

  const std::size_t at = WalkElements(message.ieArea(), [id](std::uint8_t other) { return other > id; });
  auto& bytes = message.buffer();
  std::uint8_t* area = bytes.data() + kMessageHeaderSize;
  std::memmove(area + at + grow, area + at, length - at);
  area[at] = id;
  area[at + 1] = static_cast<std::uint8_t>(data.size());
  std::copy_n(copy.begin(), data.size(), area + at + kElementHeaderSize);
  bytes[1] = static_cast<std::uint8_t>(length + grow);
  return true;
}

bool AddElementBytes(DeviceMessage& message, std::uint8_t id, std::initializer_list<unsigned> values) {
  std::vector<std::uint8_t> data;
  data.reserve(values.size());
  for (unsigned value : values) data.push_back(static_cast<std::uint8_t>(value));
  return AddElement(message, id, data);
}

bool CopyElement(DeviceMessage& message, const ElementView& element) {
  return AddElement(message, element.id, element.data);
}

bool AddTextElement(DeviceMessage& message, std::uint8_t id, std::string_view text, bool withNul) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  if (withNul) data.push_back(0);
  return AddElement(message, id, data);
}

void SealMessage(DeviceMessage& message) {
  const std::uint8_t sum = ChecksumOf(message, false);
  message.buffer()[kMessageHeaderSize + message.ieLength()] = static_cast<std::uint8_t>(0x100 - sum);
}

std::optional<ElementView> FindElement(const DeviceMessage& message, std::uint8_t id) {
  const auto area = message.ieArea();
  const std::size_t at = WalkElements(area, [id](std::uint8_t other) { return other == id; });
  if (at == area.size()) return std::nullopt;
  return ElementView{id, ElementData(area, at)};
}

bool HasKnownType(const DeviceMessage& message) {
  const auto type = message.type();
  return type == static_cast<std::uint8_t>(MessageType::Request) ||
         type == static_cast<std::uint8_t>(MessageType::Reply) ||
         type == static_cast<std::uint8_t>(MessageType::Reject);
}

bool IsChecksumValid(const DeviceMessage& message) { return ChecksumOf(message, true) == 0; }

std::string ElementText(const ElementView& element, std::size_t capacity) {
  std::string text;
  for (std::uint8_t c : element.data) {
    if (c == 0 || text.size() >= capacity) break;
    text.push_back(static_cast<char>(c));
  }
  return text;
}

}  // namespace tusko
