#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/ImageLayout.h"

namespace tusko {

// The gateway's whole configuration as one block in the gateway's own layout
// (see ImageLayout.h). A value type: copies never share bytes.
//
// Every access is bounds-checked: a read past the end sees 0xFF ("not set")
// and a write past the end changes nothing and returns false, so that a wrong
// record index can never touch memory outside the block.
class ConfigurationImage {
 public:
  static constexpr std::size_t kSize = layout::kImageSize;
  using Bytes = std::array<std::uint8_t, kSize>;

  // Every byte 0xFF: nothing set. MakeDefaultImage() gives a new configuration.
  ConfigurationImage();

  // A block of exactly kSize bytes; nothing for any other length.
  static std::optional<ConfigurationImage> FromBytes(std::span<const std::uint8_t> bytes);

  const Bytes& AllBytes() const { return bytes_; }

  std::uint8_t Byte(std::size_t offset) const;
  bool SetByte(std::size_t offset, std::uint8_t value);
  std::uint16_t Word16(std::size_t offset) const;  // little-endian
  bool SetWord16(std::size_t offset, std::uint16_t value);
  std::uint32_t Word32(std::size_t offset) const;  // little-endian
  bool SetWord32(std::size_t offset, std::uint32_t value);

  // The bytes [offset, offset + length); empty when the range does not fit.
  std::span<const std::uint8_t> Range(std::size_t offset, std::size_t length) const;
  std::span<std::uint8_t> MutableRange(std::size_t offset, std::size_t length);
  std::span<const std::uint8_t> Range(layout::Section section) const { return Range(section.offset, section.size); }
  std::span<std::uint8_t> MutableRange(layout::Section section) { return MutableRange(section.offset, section.size); }

  // Copies `bytes` to `offset`; false and unchanged when they do not fit.
  bool Store(std::size_t offset, std::span<const std::uint8_t> bytes);
  bool StoreText(std::size_t offset, std::string_view text);
  // The bytes of the range as characters, cut at the end of the image.
  std::string Text(std::size_t offset, std::size_t length) const;
  // Sets the bytes of the range that lie inside the image; false when any lie outside.
  bool Fill(std::size_t offset, std::size_t length, std::uint8_t value);
  bool Fill(layout::Section section, std::uint8_t value) { return Fill(section.offset, section.size, value); }

  bool operator==(const ConfigurationImage&) const = default;

 private:
  static bool Fits(std::size_t offset, std::size_t length) { return offset <= kSize && length <= kSize - offset; }

  Bytes bytes_;
};

// A new configuration: 0xFF everywhere, then every documented default,
// including the signature.
ConfigurationImage MakeDefaultImage();

// True when the signature word holds its value; an image from the gateway is
// taken over only then.
bool HasSignature(const ConfigurationImage& image);
void StoreSignature(ConfigurationImage& image);

}  // namespace tusko
