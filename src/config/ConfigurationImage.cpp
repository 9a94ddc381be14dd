#include "config/ConfigurationImage.h"

#include <algorithm>

#include "config/FieldValues.h"

namespace tusko {
namespace {

constexpr unsigned kBitsPerByte = 8;
constexpr std::size_t kWord16Bytes = 2;
constexpr std::size_t kWord32Bytes = 4;

template <typename Word>
Word ReadLittleEndian(const ConfigurationImage& image, std::size_t offset, std::size_t bytes) {
  Word value = 0;
  for (std::size_t i = bytes; i-- > 0;) value = static_cast<Word>((value << kBitsPerByte) | image.Byte(offset + i));
  return value;
}

template <typename Word>
bool WriteLittleEndian(ConfigurationImage& image, std::size_t offset, std::size_t bytes, Word value) {
  bool inside = true;
  for (std::size_t i = 0; i < bytes; ++i) {
    inside = image.SetByte(offset + i, static_cast<std::uint8_t>(value >> (kBitsPerByte * i))) && inside;
  }
  return inside;
}


}  // namespace

ConfigurationImage::ConfigurationImage() { bytes_.fill(layout::kUnset); }

std::optional<ConfigurationImage> ConfigurationImage::FromBytes(std::span<const std::uint8_t> bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  ConfigurationImage image;
  std::copy(bytes.begin(), bytes.end(), image.bytes_.begin());
  return image;
}

std::uint8_t ConfigurationImage::Byte(std::size_t offset) const {
  return offset < kSize ? bytes_[offset] : layout::kUnset;
}

bool ConfigurationImage::SetByte(std::size_t offset, std::uint8_t value) {
  if (offset >= kSize) return false;
  bytes_[offset] = value;
  return true;
}

std::uint16_t ConfigurationImage::Word16(std::size_t offset) const {
  return ReadLittleEndian<std::uint16_t>(*this, offset, kWord16Bytes);
}

bool ConfigurationImage::SetWord16(std::size_t offset, std::uint16_t value) {
  return WriteLittleEndian(*this, offset, kWord16Bytes, value);
}

std::uint32_t ConfigurationImage::Word32(std::size_t offset) const {
  return ReadLittleEndian<std::uint32_t>(*this, offset, kWord32Bytes);
}

bool ConfigurationImage::SetWord32(std::size_t offset, std::uint32_t value) {
  return WriteLittleEndian(*this, offset, kWord32Bytes, value);
}

std::span<const std::uint8_t> ConfigurationImage::Range(std::size_t offset, std::size_t length) const {
  if (!Fits(offset, length)) return {};
  return std::span<const std::uint8_t>(bytes_).subspan(offset, length);
}

std::span<std::uint8_t> ConfigurationImage::MutableRange(std::size_t offset, std::size_t length) {
  if (!Fits(offset, length)) return {};
  return std::span<std::uint8_t>(bytes_).subspan(offset, length);
}

bool ConfigurationImage::Store(std::size_t offset, std::span<const std::uint8_t> bytes) {
  if (!Fits(offset, bytes.size())) return false;
  std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

bool ConfigurationImage::StoreText(std::size_t offset, std::string_view text) {
  // char and std::uint8_t may alias each other.
  return Store(offset, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string ConfigurationImage::Text(std::size_t offset, std::size_t length) const {
  if (offset >= kSize) return {};
  const std::size_t count = std::min(length, kSize - offset);
  return std::string(bytes_.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes_.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

bool ConfigurationImage::Fill(std::size_t offset, std::size_t length, std::uint8_t value) {
  const std::size_t start = std::min(offset, kSize);
  const std::size_t count = std::min(length, kSize - start);
  std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(start), count, value);
  return Fits(offset, length);
}

ConfigurationImage MakeDefaultImage() {
  ConfigurationImage image;
  for (const catalog::Group& group : catalog::Groups()) {
    for (std::size_t instance = 0; instance < group.count; ++instance) {
      for (const catalog::Field& field : group.fields) catalog::WriteDefault(image, {&group, &field, instance});
    }
  }
  return image;
}

bool HasSignature(const ConfigurationImage& image) {
  return image.Word32(layout::general::kSignature) == layout::general::kSignatureValue;
}

void StoreSignature(ConfigurationImage& image) {
  image.SetWord32(layout::general::kSignature, layout::general::kSignatureValue);
}

}  // namespace tusko
