#include "config/ConfigurationImage.h"

#include <algorithm>

#include "config/AddressFields.h"
#include "config/ByteFields.h"
#include "config/CreditRecord.h"
#include "config/ServerField.h"
#include "config/TextFields.h"

namespace tusko {
namespace {

constexpr unsigned kBitsPerByte = 8;
constexpr std::size_t kWord16Bytes = 2;
constexpr std::size_t kWord32Bytes = 4;

// Defaults of a new configuration that are not plain 0 or 0xFF.
constexpr std::uint16_t kDefaultGatewayTcpPort = 1002;
constexpr std::uint16_t kDefaultWaitDialingSeconds = 6;
constexpr std::uint8_t kDefaultNoAnswerSeconds = 30;
constexpr std::uint8_t kDefaultCauseGsmBusy = 3;
constexpr layout::Section kZeroReservedAfterPortabilityTone{332, 3};
constexpr std::size_t kZeroReservedLinkByte = 1;  // in an ISDN link record
constexpr std::uint8_t kCdrStoreAnswered = 0x01;
constexpr std::uint8_t kDefaultExtensionDigits = 3;
constexpr std::uint8_t kIsdnLink1Letter = 'A';
constexpr std::uint16_t kDefaultCdrTimeout = 1;
constexpr std::size_t kWorkingDays = 5;  // Monday to Friday
constexpr std::uint8_t kWorkStartHour = 8;
constexpr std::uint8_t kWorkEndHour = 18;

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


namespace L = layout;

void StoreGeneralDefaults(ConfigurationImage& image) {
  WriteCountedText(image, L::general::kDeviceName, {});
  WriteIpDigits(image, L::network::kLanIp, MakeIpv4Address(0, 0, 0, 0));
  WriteIpDigits(image, L::network::kSubnetMask, MakeIpv4Address(255, 255, 255, 0));
  WritePortDigits(image, L::network::kPort, kDefaultGatewayTcpPort);
  WriteIpDigits(image, L::network::kDefaultGateway, MakeIpv4Address(0, 0, 0, 0));
  WriteIpDigits(image, L::network::kDns1, MakeIpv4Address(0, 0, 0, 0));
  WriteIpDigits(image, L::network::kDns2, MakeIpv4Address(0, 0, 0, 0));
  StoreSignature(image);
}

void StoreIsdnDefaults(ConfigurationImage& image) {
  for (std::size_t link = 0; link < L::isdnLink::kCount; ++link) {
    const std::size_t record = L::isdnLink::Record(link);
    for (const std::size_t field : {L::isdnLink::kLayer1, kZeroReservedLinkByte, L::isdnLink::kPointToPoint,
                                    L::isdnLink::kTei, L::isdnLink::kProtocol, L::isdnLink::kRestartLayer3,
                                    L::isdnLink::kBlockB1, L::isdnLink::kBlockB2}) {
      image.SetByte(record + field, 0);
    }
    CreditRecord(image, L::isdnCredit::Record(link)).ResetToDefaults();
  }

  image.SetWord16(L::isdnCommon::kWaitDialing, kDefaultWaitDialingSeconds);
  for (const std::size_t zero : {L::isdnCommon::kDialTone, L::isdnCommon::kTimeSaveCallback,
                                 L::isdnCommon::kChannelAssociation, L::isdnCommon::kMobilityMode,
                                 L::isdnCommon::kDelayAlerting, L::isdnCommon::kNumberPortabilityTone,
                                 L::isdnCommon::kCutPrefix, L::isdnCommon::kAnnouncements,
                                 L::isdnCommon::kConnectWithAlerting, L::isdnCommon::kIsdnMode}) {
    image.SetByte(zero, 0);
  }
  image.SetByte(L::isdnCommon::kTimeoutNoAnswer, kDefaultNoAnswerSeconds);
  image.SetByte(L::isdnCommon::kProgressTone, 1);
  image.SetByte(L::isdnCommon::kSubstituteInternational, 1);
  image.SetByte(L::isdnCommon::kCauseGsmBusy, kDefaultCauseGsmBusy);
  image.Fill(kZeroReservedAfterPortabilityTone, 0);
  WriteCountedString(image, L::isdnCommon::kCountryPrefix, {});
  image.SetByte(L::isdnCommon::kCdrStoring, kCdrStoreAnswered);
  image.SetWord32(L::creditReport::kAlarmLimit, 0);
}

void StoreGsmDefaults(ConfigurationImage& image) {
  for (std::size_t module = 0; module < L::gsmModule::kCount; ++module) {
    const std::size_t assignment = L::gsmGroup::Assignment(module);
    image.SetByte(assignment + L::gsmGroup::kOutGroup, 0);
    image.SetByte(assignment + L::gsmGroup::kInGroup, 0);
    image.SetByte(assignment + L::gsmGroup::kSecondOutGroup, L::gsmGroup::kNone);

    const std::size_t record = L::gsmModule::Record(module);
    image.SetByte(record + L::gsmModule::kDisabled, L::gsmModule::kModuleEnabled);
    image.SetByte(record + L::gsmModule::kFlags, L::gsmModule::kFlagAmr);
    image.SetByte(record + L::gsmModule::kVolumeIsdn, EncodeVolume(0));
    image.SetByte(record + L::gsmModule::kVolumeGsm, EncodeVolume(0));
    CreditRecord(image, L::gsmModule::Credit(module)).ResetToDefaults();
    CreditRecord(image, L::gsmModule::SecondCredit(module)).ResetToDefaults();
  }

  for (std::size_t group = 0; group < L::gsmGroup::kCount; ++group) {
    const std::size_t out = L::gsmGroup::OutRecord(group);
    image.SetByte(out + L::gsmGroup::kOutSelection, 0);
    image.SetByte(out + L::gsmGroup::kOutDdiDigits, 0);

    const std::size_t in = L::gsmInGroup::Record(group);
    for (const std::size_t zero : {L::gsmInGroup::kMode, L::gsmInGroup::kWaitDisa, L::gsmInGroup::kCallbackCut,
                                   L::gsmInGroup::kDdiDigits}) {
      image.SetByte(in + zero, 0);
    }
    image.SetByte(in + L::gsmInGroup::kMinExtensionDigits, kDefaultExtensionDigits);
    image.SetByte(in + L::gsmInGroup::kMaxExtensionDigits, kDefaultExtensionDigits);
    image.SetByte(in + L::gsmInGroup::kOutputLine, kIsdnLink1Letter);
    WriteCountedString(image, L::CountedString24(in + L::gsmInGroup::kPrefix), {});
    WriteCountedString(image, L::CountedString24(in + L::gsmInGroup::kCallbackPrefix), {});
    for (std::size_t slot = 0; slot < L::gsmInGroup::kExtensionCount; ++slot) {
      WriteCountedString(image, L::gsmInGroup::Extension(in, slot), {});
    }
  }
}

// The sections behind the general block.
void StoreTailDefaults(ConfigurationImage& image) {
  WriteServerField(image, L::alarm::kIpServer, {}, 0);
  image.SetByte(L::cdr::kAlwaysZero, 0);
  image.SetWord16(L::cdr::kTimeout, kDefaultCdrTimeout);
  image.SetByte(L::smsServer::kAlwaysZero, 0);
  WriteCountedText(image, L::httpOut::kRequest, {});
  WriteCountedText(image, L::smsNotification::kText, {});
  WriteCountedText(image, L::httpIn::kRequest, {});
  // The line and module masks default to 0xFF..: every link and module.

  for (std::size_t day = 0; day < kWorkingDays; ++day) {
    image.SetByte(L::workingHours::Slot(day, 0) + L::workingHours::kHour, kWorkStartHour);
    image.SetByte(L::workingHours::Slot(day, 0) + L::workingHours::kMinute, 0);
    image.SetByte(L::workingHours::Slot(day, 1) + L::workingHours::kHour, kWorkEndHour);
    image.SetByte(L::workingHours::Slot(day, 1) + L::workingHours::kMinute, 0);
  }

  WriteServerField(image, L::creditReport::kIpServer, {}, 0);
  image.SetByte(L::creditReport::kSendingHour, 0);
  image.SetByte(L::timeSync::kTimeZone, EncodeTimeZone(0));
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
  StoreGeneralDefaults(image);
  StoreIsdnDefaults(image);
  StoreGsmDefaults(image);
  StoreTailDefaults(image);
  return image;
}

bool HasSignature(const ConfigurationImage& image) {
  return image.Word32(layout::general::kSignature) == layout::general::kSignatureValue;
}

void StoreSignature(ConfigurationImage& image) {
  image.SetWord32(layout::general::kSignature, layout::general::kSignatureValue);
}

}  // namespace tusko
