#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "protocol/InformationElements.h"

namespace tusko {

inline constexpr std::size_t kMessageBufferSize = 258;  // 255-byte IE area + type, length, checksum
inline constexpr std::size_t kMaxIeAreaLength = 255;
inline constexpr std::size_t kMessageHeaderSize = 2;    // type byte and length byte
inline constexpr std::size_t kElementHeaderSize = 2;    // identifier byte and length byte

// One information element inside a message. `data` never reaches past the
// message's IE area, even when the element's length byte claims more.
struct ElementView {
  std::uint8_t id = 0;
  std::span<const std::uint8_t> data;
};

// One protocol message in its fixed 258-byte buffer, zero-filled when created.
// A value type: copying or moving it never shares the bytes.
class DeviceMessage {
 public:
  using Buffer = std::array<std::uint8_t, kMessageBufferSize>;

  DeviceMessage() { bytes_.fill(0); }

  // A received message: at most 258 bytes are kept, the rest stays zero.
  static DeviceMessage FromBytes(std::span<const std::uint8_t> bytes);

  std::uint8_t type() const { return bytes_[0]; }
  std::uint8_t ieLength() const { return bytes_[1]; }
  std::span<const std::uint8_t> ieArea() const { return {bytes_.data() + kMessageHeaderSize, ieLength()}; }
  // The bytes sent on the wire: type, length, IE area and checksum.
  std::span<const std::uint8_t> wireBytes() const { return {bytes_.data(), wireSize()}; }
  std::size_t wireSize() const { return std::size_t{ieLength()} + 3; }

  const Buffer& buffer() const { return bytes_; }
  Buffer& buffer() { return bytes_; }

 private:
  Buffer bytes_;
};

DeviceMessage CreateMessage(MessageType type);

// The adders insert in ascending identifier order, after any element with the
// same identifier. They return false and leave the message unchanged when the
// IE area would grow past 255 bytes.
bool AddElement(DeviceMessage& message, std::uint8_t id, std::span<const std::uint8_t> data);
bool AddElementBytes(DeviceMessage& message, std::uint8_t id, std::initializer_list<unsigned> values);
bool CopyElement(DeviceMessage& message, const ElementView& element);
// A text element; with `withNul` the terminating NUL travels inside the element.
bool AddTextElement(DeviceMessage& message, std::uint8_t id, std::string_view text, bool withNul);

// Writes the checksum byte after the IE area.
void SealMessage(DeviceMessage& message);

std::optional<ElementView> FindElement(const DeviceMessage& message, std::uint8_t id);
bool HasKnownType(const DeviceMessage& message);
bool IsChecksumValid(const DeviceMessage& message);

// A text received from the gateway: n characters, ended early by a NUL, cut to `capacity`.
std::string ElementText(const ElementView& element, std::size_t capacity);

}  // namespace tusko
