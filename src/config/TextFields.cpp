#include "config/TextFields.h"

#include <algorithm>
#include <cstdint>

namespace tusko {
namespace {

constexpr std::uint8_t kTerminator = 0;

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

std::uint8_t LengthByte(std::size_t length) { return static_cast<std::uint8_t>(length); }

}  // namespace

std::string ReadCountedString(ConfigurationImage& image, layout::CountedStringAt field) {
  const std::uint8_t length = image.Byte(field.offset);
  if (length == 0 || length == layout::kUnset) return {};
  std::size_t count = length;
  if (count > field.MaxChars()) {
    count = field.MaxChars();
    image.SetByte(field.offset, LengthByte(count));
  }
  return image.Text(field.offset + 1, count);
}

void WriteCountedString(ConfigurationImage& image, layout::CountedStringAt field, std::string_view text) {
  text = text.substr(0, field.MaxChars());
  image.Fill(field.offset, field.width, layout::kUnset);
  image.SetByte(field.offset, LengthByte(text.size()));
  image.StoreText(field.offset + 1, text);
}

std::string ReadCountedText(ConfigurationImage& image, const layout::CountedTextAt& field) {
  std::uint8_t length = image.Byte(field.lengthOffset);
  if (length == layout::kUnset) {
    length = 0;
    image.SetByte(field.lengthOffset, length);
  }
  // A length the field cannot hold would reach into the next field.
  return image.Text(field.textOffset, std::min<std::size_t>(length, field.capacity));
}

void WriteCountedText(ConfigurationImage& image, const layout::CountedTextAt& field, std::string_view text) {
  text = text.substr(0, field.capacity);
  image.Fill(field.textOffset, field.area, layout::kUnset);
  image.StoreText(field.textOffset, text);
  image.SetByte(field.lengthOffset, LengthByte(text.size()));
}

std::string ReadTerminatedText(ConfigurationImage& image, layout::TerminatedTextAt field) {
  if (image.Byte(field.offset) == layout::kUnset) {
    image.SetByte(field.offset, kTerminator);
    return {};
  }
  std::string text = image.Text(field.offset, layout::kTerminatedTextMaxChars);
  text.resize(std::min(text.size(), text.find(static_cast<char>(kTerminator))));
  return text;
}

void WriteTerminatedText(ConfigurationImage& image, layout::TerminatedTextAt field, std::string_view text) {
  text = text.substr(0, std::min(text.find(static_cast<char>(kTerminator)), layout::kTerminatedTextMaxChars));
  image.StoreText(field.offset, text);
  image.SetByte(field.offset + text.size(), kTerminator);
}

std::string ReadDigits(const ConfigurationImage& image, layout::DigitsAt field) {
  std::string text = image.Text(field.offset, field.width);
  const auto end = std::find_if_not(text.begin(), text.end(), IsAsciiDigit);
  text.erase(end, text.end());
  return text;
}

void WriteDigits(ConfigurationImage& image, layout::DigitsAt field, std::string_view digits) {
  image.Fill(field.offset, field.width, layout::kUnset);
  image.StoreText(field.offset, digits.substr(0, field.width));
}

}  // namespace tusko
