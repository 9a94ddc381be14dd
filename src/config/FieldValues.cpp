#include "config/FieldValues.h"

#include <algorithm>
#include <limits>

#include "config/AddressFields.h"
#include "config/DecimalText.h"
#include "config/ServerField.h"
#include "config/TextFields.h"
#include "config/VolumeCode.h"

namespace tusko::catalog {
namespace {

constexpr std::uint8_t kSyncOff = 0xFF;
constexpr std::uint8_t kSyncSummerTime = 1;
constexpr std::uint8_t kDelayAlertingR = 'R';
constexpr std::int64_t kDelayAlertingMax = 15;
constexpr char kFirstLine = 'A';
constexpr char kLastLine = 'D';
constexpr std::uint32_t kOctetMax = 255;
constexpr std::uint32_t kSecondsPerMinute = 60;

enum class Width { Byte, Word16, Word32, None };

Width NumberWidth(Encoding encoding) {
  switch (encoding) {
    case Encoding::Word16: return Width::Word16;
    case Encoding::Word32:
    case Encoding::Minutes32:
    case Encoding::Bit32: return Width::Word32;
    case Encoding::Byte:
    case Encoding::Bit:
    case Encoding::InvertedBit:
    case Encoding::SyncAutomatic:
    case Encoding::SyncSummerTime:
    case Encoding::TimeZone:
    case Encoding::Volume:
    case Encoding::DelayAlerting:
    case Encoding::LineLetter: return Width::Byte;
    default: return Width::None;
  }
}

std::int64_t AllOnes(Width width) {
  switch (width) {
    case Width::Byte: return std::numeric_limits<std::uint8_t>::max();
    case Width::Word16: return std::numeric_limits<std::uint16_t>::max();
    default: return std::numeric_limits<std::uint32_t>::max();
  }
}

std::int64_t ReadRaw(const ConfigurationImage& image, std::size_t offset, Width width) {
  switch (width) {
    case Width::Byte: return image.Byte(offset);
    case Width::Word16: return image.Word16(offset);
    default: return image.Word32(offset);
  }
}

void WriteRaw(ConfigurationImage& image, std::size_t offset, Width width, std::int64_t raw) {
  switch (width) {
    case Width::Byte: image.SetByte(offset, static_cast<std::uint8_t>(raw)); break;
    case Width::Word16: image.SetWord16(offset, static_cast<std::uint16_t>(raw)); break;
    default: image.SetWord32(offset, static_cast<std::uint32_t>(raw)); break;
  }
}

bool RawIsUnset(const Field& field, std::int64_t raw, Width width) {
  if (field.zeroIsUnset && raw == 0) return true;
  return raw >= (field.unsetFrom == kFromAllOnes ? AllOnes(width) : field.unsetFrom);
}

// The stored number as the page sees it, after the unset rule.
std::int64_t ShownRaw(const ConfigurationImage& image, const FieldRef& ref) {
  const Width width = NumberWidth(ref.field->encoding);
  const std::int64_t raw = ReadRaw(image, ref.Offset(), width);
  if (ref.field->unset != Unset::Plain && RawIsUnset(*ref.field, raw, width)) return ref.field->unsetShows;
  return raw;
}

bool IsChecked(const Field& field, std::int64_t raw) {
  switch (field.checked) {
    case Checked::WhenNotZero: return raw != 0;
    case Checked::WhenInUse: return raw != 0 && raw != layout::kUnset;
    case Checked::WhenOn: break;
  }
  return raw == field.on;
}

std::int64_t LineIndex(std::uint8_t letter) {
  const auto upper = static_cast<char>(letter >= 'a' && letter <= 'd' ? letter - 'a' + 'A' : letter);
  return upper >= kFirstLine && upper <= kLastLine ? upper - kFirstLine : 0;
}

std::string AddressText(Ipv4Address address) {
  constexpr unsigned kBits = 8;
  std::string text;
  for (int shift = 3 * kBits; shift >= 0; shift -= kBits) {
    if (!text.empty()) text.push_back('.');
    text += std::to_string((address >> shift) & kOctetMax);
  }
  return text;
}

// "a.b.c.d" as four groups of 0..255; 0 for anything else (the page checks first).
Ipv4Address AddressNumber(std::string_view text) {
  Ipv4Address address = 0;
  for (int group = 0; group < 4; ++group) {
    const LeadingNumber number = ReadLeadingNumber(text, kOctetMax);
    address = (address << 8) | number.value;
    text.remove_prefix(std::min(text.size(), number.digits + 1));
  }
  return address;
}

std::int64_t NumberFromBits(const Field& field, std::int64_t raw) {
  const bool set = (static_cast<std::uint32_t>(raw) & field.mask) != 0;
  return (field.encoding == Encoding::InvertedBit) != set ? 1 : 0;
}

std::uint32_t OwnedMask(const FieldRef& ref) {
  std::uint32_t owned = 0;
  for (const Field& other : ref.group->fields) {
    if (other.offset == ref.field->offset && other.encoding == ref.field->encoding) owned |= other.mask;
  }
  return owned;
}

void WriteBits(ConfigurationImage& image, const FieldRef& ref, bool value) {
  const Field& field = *ref.field;
  const Width width = NumberWidth(field.encoding);
  auto bits = static_cast<std::uint32_t>(ShownRaw(image, ref));
  const bool inverted = field.encoding == Encoding::InvertedBit;
  if (field.otherBits == OtherBits::Rebuilt) {
    const std::uint32_t owned = OwnedMask(ref);
    bits = inverted ? (bits | ~owned) : (bits & owned);
  }
  const bool set = inverted != value;
  bits = set ? (bits | field.mask) : (bits & ~field.mask);
  WriteRaw(image, ref.Offset(), width, bits);
}

FieldValue NumberValue(const FieldRef& ref, std::int64_t raw) {
  const Field& field = *ref.field;
  switch (field.encoding) {
    case Encoding::Minutes32: return {.number = raw / kSecondsPerMinute};
    case Encoding::Bit:
    case Encoding::Bit32:
    case Encoding::InvertedBit: return {.number = NumberFromBits(field, raw)};
    case Encoding::SyncAutomatic: return {.number = raw != kSyncOff ? 1 : 0};
    case Encoding::SyncSummerTime: return {.number = raw == kSyncSummerTime ? 1 : 0};
    case Encoding::Volume: return {.number = DecodeVolume(static_cast<std::uint8_t>(raw))};
    case Encoding::DelayAlerting:
      return {.text = raw == kDelayAlertingR ? std::string(1, kDelayAlertingR) : std::to_string(raw)};
    case Encoding::LineLetter: return {.number = LineIndex(static_cast<std::uint8_t>(raw))};
    default: break;
  }
  if (field.editor == Editor::Check) return {.number = IsChecked(field, raw) ? 1 : 0};
  // Two choices of which the second stands for any byte but 0.
  if (field.editor == Editor::Radio && field.checked == Checked::WhenNotZero) return {.number = raw != 0 ? 1 : 0};
  return {.number = raw};
}

std::uint8_t DelayAlertingByte(std::string_view text) {
  if (text.find(static_cast<char>(kDelayAlertingR)) != std::string_view::npos) return kDelayAlertingR;
  return static_cast<std::uint8_t>(ReadLeadingNumber(text, kDelayAlertingMax).value);
}

void WriteNumber(ConfigurationImage& image, const FieldRef& ref, const FieldValue& value) {
  const Field& field = *ref.field;
  const std::size_t offset = ref.Offset();
  const Width width = NumberWidth(field.encoding);
  switch (field.encoding) {
    case Encoding::Minutes32:
      image.SetWord32(offset, static_cast<std::uint32_t>(std::clamp<std::int64_t>(
                                  value.number * kSecondsPerMinute, 0, std::numeric_limits<std::uint32_t>::max())));
      return;
    case Encoding::Bit:
    case Encoding::Bit32:
    case Encoding::InvertedBit: WriteBits(image, ref, value.number != 0); return;
    case Encoding::SyncAutomatic:
      if (value.number == 0) {
        image.SetByte(offset, kSyncOff);
      } else if (image.Byte(offset) == kSyncOff) {
        image.SetByte(offset, 0);
      }
      return;
    case Encoding::SyncSummerTime:
      if (image.Byte(offset) != kSyncOff) image.SetByte(offset, value.number != 0 ? kSyncSummerTime : 0);
      return;
    case Encoding::Volume: image.SetByte(offset, EncodeVolume(static_cast<int>(value.number))); return;
    case Encoding::DelayAlerting: image.SetByte(offset, DelayAlertingByte(value.text)); return;
    case Encoding::LineLetter: image.SetByte(offset, static_cast<std::uint8_t>(kFirstLine + value.number)); return;
    default: break;
  }
  const std::int64_t raw = field.editor == Editor::Check ? (value.number != 0 ? field.on : field.off) : value.number;
  WriteRaw(image, offset, width, raw);
}

layout::CountedStringAt CountedAt(const FieldRef& ref, std::size_t slot = 0) {
  return {ref.Offset() + ref.field->width * slot, ref.field->width};
}

layout::CountedTextAt CountedTextAt(const FieldRef& ref) {
  const std::size_t at = ref.Offset();
  return {at, at + 1, ref.field->maxChars, ref.field->width};
}

std::vector<std::string> ReadList(ConfigurationImage& image, const FieldRef& ref) {
  std::vector<std::string> items;
  for (std::size_t slot = 0; slot < ref.field->count; ++slot) {
    std::string item = ReadCountedString(image, CountedAt(ref, slot));
    if (item.empty()) break;
    items.push_back(std::move(item));
  }
  return items;
}

void WriteList(ConfigurationImage& image, const FieldRef& ref, const std::vector<std::string>& items) {
  image.Fill(ref.Offset(), ref.Width(), layout::kUnset);
  for (std::size_t slot = 0; slot < ref.field->count; ++slot) {
    if (slot < items.size()) {
      WriteCountedString(image, CountedAt(ref, slot), items[slot]);
    } else if (ref.field->emptySlotsCleared) {
      WriteCountedString(image, CountedAt(ref, slot), {});
    }
  }
}

}  // namespace

FieldValue ShowField(ConfigurationImage& image, const FieldRef& ref) {
  const Field& field = *ref.field;
  const std::size_t at = ref.Offset();
  switch (field.encoding) {
    case Encoding::Reserved:
    case Encoding::Bytes: return {};
    case Encoding::CountedString: return {.text = ReadCountedString(image, CountedAt(ref))};
    case Encoding::CountedList: return {.items = ReadList(image, ref)};
    case Encoding::CountedText: return {.text = ReadCountedText(image, CountedTextAt(ref))};
    case Encoding::TerminatedText: return {.text = ReadTerminatedText(image, {at})};
    case Encoding::IpDigits: return {.text = AddressText(ReadIpDigits(image, {at}))};
    case Encoding::PortDigits: return {.number = ReadPortDigits(image, {at})};
    case Encoding::Digits: return {.text = ReadDigits(image, {at, field.width})};
    case Encoding::Server: {
      const ServerAddress server = ReadServerField(image, {at});
      const std::int64_t port = server.kind == ServerKind::None ? field.emptyPortShows : server.port;
      return {.number = port, .text = server.address};
    }
    default: break;
  }
  return NumberValue(ref, ShownRaw(image, ref));
}

void WriteField(ConfigurationImage& image, const FieldRef& ref, const FieldValue& value) {
  const Field& field = *ref.field;
  const std::size_t at = ref.Offset();
  switch (field.encoding) {
    case Encoding::Reserved:
    case Encoding::Bytes: return;
    case Encoding::CountedString: WriteCountedString(image, CountedAt(ref), value.text); return;
    case Encoding::CountedList: WriteList(image, ref, value.items); return;
    case Encoding::CountedText: WriteCountedText(image, CountedTextAt(ref), value.text); return;
    case Encoding::TerminatedText: WriteTerminatedText(image, {at}, value.text); return;
    case Encoding::IpDigits: WriteIpDigits(image, {at}, AddressNumber(value.text)); return;
    case Encoding::PortDigits: WritePortDigits(image, {at}, static_cast<std::uint16_t>(value.number)); return;
    case Encoding::Digits: WriteDigits(image, {at, field.width}, value.text); return;
    case Encoding::Server:
      WriteServerField(image, {at}, value.text, static_cast<std::uint16_t>(value.number),
                       field.messageKey.empty() ? PortRule::Optional : PortRule::Required);
      return;
    default: WriteNumber(image, ref, value); return;
  }
}

FieldValue DefaultValue(const Field& field) {
  return {.number = field.defaultNumber, .text = std::string(field.defaultText)};
}

void WriteDefault(ConfigurationImage& image, const FieldRef& ref) {
  const Field& field = *ref.field;
  if (field.unsetByDefault) return;
  switch (field.encoding) {
    case Encoding::Reserved:
    case Encoding::Bytes: image.Fill(ref.Offset(), ref.Width(), static_cast<std::uint8_t>(field.defaultNumber)); return;
    case Encoding::CountedList:
      // A fresh list holds empty entries, not unset ones.
      for (std::size_t slot = 0; slot < field.count; ++slot) WriteCountedString(image, CountedAt(ref, slot), {});
      return;
    default: WriteField(image, ref, DefaultValue(field)); return;
  }
}

}  // namespace tusko::catalog
