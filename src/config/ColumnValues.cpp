#include "config/ColumnValues.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "config/TextFields.h"

namespace tusko::catalog {
namespace {

constexpr std::string_view kCellGroup = "cell";
constexpr std::size_t kCountedStringMinWidth = 23;  // a ring number: 22 characters and its condition byte
constexpr std::int64_t kByteMax = 255;
constexpr char kPadding = '0';

std::optional<std::int64_t> ByteNumber(std::string_view text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 || value > kByteMax) {
    return std::nullopt;
  }
  return value;
}

layout::CountedStringAt CountedAt(const FieldRef& ref) { return {ref.Offset(), ref.field->width}; }

std::string FixedText(const ConfigurationImage& image, const FieldRef& ref) {
  const std::string text = image.Text(ref.Offset(), ref.field->width);
  return text.find_first_not_of('\xFF') == std::string::npos ? std::string() : text;
}

void WriteFixedText(ConfigurationImage& image, const FieldRef& ref, std::string_view text) {
  const std::size_t width = ref.field->width;
  if (text.empty()) {
    image.Fill(ref.Offset(), width, layout::kUnset);
    return;
  }
  const std::string padded = std::string(width - std::min(width, text.size()), kPadding) +
                             std::string(text.substr(0, width));
  image.StoreText(ref.Offset(), padded);
}

}  // namespace

ColumnKind KindOfColumn(const FieldRef& ref) {
  if (ref.field->width == 1) return ColumnKind::Byte;
  if (ref.group->name == kCellGroup) return ColumnKind::FixedText;
  return ref.field->width >= kCountedStringMinWidth ? ColumnKind::CountedString : ColumnKind::ByteList;
}

FieldValue ShowColumn(ConfigurationImage& image, const FieldRef& ref) {
  switch (KindOfColumn(ref)) {
    case ColumnKind::Byte: return {.number = image.Byte(ref.Offset())};
    case ColumnKind::CountedString: return {.text = ReadCountedString(image, CountedAt(ref))};
    case ColumnKind::FixedText: return {.text = FixedText(image, ref)};
    case ColumnKind::ByteList: break;
  }
  FieldValue value;
  for (const std::uint8_t byte : image.Range(ref.Offset(), ref.field->width)) value.items.push_back(std::to_string(byte));
  return value;
}

void WriteColumn(ConfigurationImage& image, const FieldRef& ref, const FieldValue& value) {
  switch (KindOfColumn(ref)) {
    case ColumnKind::Byte: image.SetByte(ref.Offset(), static_cast<std::uint8_t>(value.number)); return;
    case ColumnKind::CountedString: WriteCountedString(image, CountedAt(ref), value.text); return;
    case ColumnKind::FixedText: WriteFixedText(image, ref, value.text); return;
    case ColumnKind::ByteList: break;
  }
  image.Fill(ref.Offset(), ref.field->width, layout::kUnset);
  for (std::size_t i = 0; i < value.items.size() && i < ref.field->width; ++i) {
    image.SetByte(ref.Offset() + i, static_cast<std::uint8_t>(ByteNumber(value.items[i]).value_or(kByteMax)));
  }
}

PageApply CheckColumn(const FieldRef& ref, const FieldValue& value) {
  const std::size_t width = ref.field->width;
  switch (KindOfColumn(ref)) {
    case ColumnKind::Byte:
      if (value.number < 0 || value.number > kByteMax) {
        return PageApply::Failure("strDataValueOutOfRange", ref.Id(), {"0", std::to_string(kByteMax)});
      }
      return PageApply::Success();
    case ColumnKind::CountedString:
    case ColumnKind::FixedText: {
      const std::size_t most = KindOfColumn(ref) == ColumnKind::CountedString ? width - 1 : width;
      if (value.text.size() > most) return PageApply::Failure("strDataTextTooLong", ref.Id(), {std::to_string(most)});
      return PageApply::Success();
    }
    case ColumnKind::ByteList: break;
  }
  if (value.items.size() > width) return PageApply::Failure("strDataListTooLong", ref.Id(), {std::to_string(width)});
  for (const std::string& item : value.items) {
    if (!ByteNumber(item)) {
      return PageApply::Failure("strDataValueOutOfRange", ref.Id(), {"0", std::to_string(kByteMax)});
    }
  }
  return PageApply::Success();
}

}  // namespace tusko::catalog
