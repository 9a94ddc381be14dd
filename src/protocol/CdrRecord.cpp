#include "protocol/CdrRecord.h"

#include <algorithm>
#include <array>
#include <utility>

#include "protocol/ElementNumbers.h"

namespace tusko {

namespace {

// Byte offsets inside one record.
constexpr std::size_t kVersionAt = 0;
constexpr std::size_t kCallTypeAt = 1;
constexpr std::size_t kDayAt = 2;
constexpr std::size_t kMonthAt = 3;
constexpr std::size_t kYearAt = 4;
constexpr std::size_t kHourAt = 5;
constexpr std::size_t kMinuteAt = 6;
constexpr std::size_t kSecondAt = 7;
constexpr std::size_t kCauseAt = 8;
constexpr std::size_t kInPortAt = 9;
constexpr std::size_t kOutPortAt = 10;
constexpr std::size_t kLengthAt = 11;
constexpr std::size_t kCallerIdLengthAt = 15;

constexpr int kYearBase = 2000;
constexpr unsigned kPortTypeShift = 5;
constexpr std::uint8_t kPortNumberMask = 0x1F;
// Both texts and their two length bytes fit behind the fixed fields.
constexpr std::size_t kMaxTextBytes = kCdrRecordBytes - kCallerIdLengthAt - 2;

constexpr std::array<std::pair<std::uint16_t, std::string_view>, 10> kCallTypeTexts{{
    {1, "Outgoing PBX->GSM"},
    {2, "Outgoing PBX->PSTN"},
    {3, "Incoming PSTN->PBX"},
    {4, "Incoming GSM->PBX"},
    {5, "Callback GSM->PBX"},
    {17, "Answered Call"},
    {18, "Unanswered Call"},
    {19, "Answered Smart Callback"},
    {20, "Unanswered Smart Callback"},
    {21, "Callback"},
}};

// A text as a C string holds it: it ends at its first NUL.
std::string RecordText(std::span<const std::uint8_t> bytes) {
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return std::string(bytes.begin(), end);
}

}  // namespace

CdrDecodeResult DecodeCdrRecord(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes[kVersionAt] != kCdrRecordVersion) return {CdrError::RecordVersion, {}};
  if (bytes.size() < kCdrRecordBytes) return {CdrError::RecordSize, {}};
  const std::size_t callerIdLength = bytes[kCallerIdLengthAt];
  const std::size_t calledLengthAt = kCallerIdLengthAt + 1 + std::min(callerIdLength, kMaxTextBytes);
  const std::size_t calledLength = bytes[calledLengthAt];
  if (callerIdLength + calledLength > kMaxTextBytes) return {CdrError::RecordFormat, {}};

  CdrDecodeResult result;
  CdrRecord& r = result.record;
  r.callType = bytes[kCallTypeAt];
  r.time = {kYearBase + bytes[kYearAt], bytes[kMonthAt], bytes[kDayAt],
            bytes[kHourAt],             bytes[kMinuteAt], bytes[kSecondAt]};
  r.cause = bytes[kCauseAt];
  r.inPort = DecodeCdrPort(bytes[kInPortAt]);
  r.outPort = DecodeCdrPort(bytes[kOutPortAt]);
  r.lengthSeconds = ReadNumber32(ElementView{0, bytes.subspan(kLengthAt, kNumber32Bytes)}).value_or(0);
  r.callerId = RecordText(bytes.subspan(kCallerIdLengthAt + 1, callerIdLength));
  r.calledNumber = RecordText(bytes.subspan(calledLengthAt + 1, calledLength));
  return result;
}

std::array<std::uint8_t, kCdrRecordBytes> EncodeCdrRecord(const CdrRecord& record) {
  std::array<std::uint8_t, kCdrRecordBytes> bytes{};
  const CdrDateTime& t = record.time;
  bytes[kVersionAt] = kCdrRecordVersion;
  bytes[kCallTypeAt] = static_cast<std::uint8_t>(record.callType);
  bytes[kDayAt] = static_cast<std::uint8_t>(t.day);
  bytes[kMonthAt] = static_cast<std::uint8_t>(t.month);
  bytes[kYearAt] = static_cast<std::uint8_t>(t.year - kYearBase);
  bytes[kHourAt] = static_cast<std::uint8_t>(t.hour);
  bytes[kMinuteAt] = static_cast<std::uint8_t>(t.minute);
  bytes[kSecondAt] = static_cast<std::uint8_t>(t.second);
  bytes[kCauseAt] = record.cause;
  bytes[kInPortAt] = EncodeCdrPort(record.inPort);
  bytes[kOutPortAt] = EncodeCdrPort(record.outPort);
  const auto seconds = EncodeNumber32(record.lengthSeconds);
  std::copy(seconds.begin(), seconds.end(), bytes.begin() + kLengthAt);
  const std::size_t callerIdLength = std::min(record.callerId.size(), kMaxTextBytes);
  const std::size_t calledLength = std::min(record.calledNumber.size(), kMaxTextBytes - callerIdLength);
  std::size_t at = kCallerIdLengthAt;
  for (const auto& [text, length] :
       {std::pair{&record.callerId, callerIdLength}, std::pair{&record.calledNumber, calledLength}}) {
    bytes[at++] = static_cast<std::uint8_t>(length);
    std::copy_n(text->begin(), length, bytes.begin() + static_cast<std::ptrdiff_t>(at));
    at += length;
  }
  return bytes;
}

std::uint8_t EncodeCdrPort(CdrPort port) {
  return static_cast<std::uint8_t>((port.type << kPortTypeShift) | (port.number & kPortNumberMask));
}

CdrPort DecodeCdrPort(std::uint8_t portByte) {
  return {static_cast<std::uint8_t>(portByte >> kPortTypeShift), static_cast<std::uint8_t>(portByte & kPortNumberMask)};
}

std::string_view CdrCallTypeText(std::uint16_t callType) {
  const auto found =
      std::find_if(kCallTypeTexts.begin(), kCallTypeTexts.end(), [callType](const auto& row) { return row.first == callType; });
  return found == kCallTypeTexts.end() ? std::string_view() : found->second;
}

std::vector<std::uint16_t> KnownCdrCallTypes() {
  std::vector<std::uint16_t> codes;
  for (const auto& row : kCallTypeTexts) codes.push_back(row.first);
  return codes;
}

std::string_view CdrPortTypeText(std::uint8_t portType) {
  switch (portType) {
    case kCdrPortPbx: return "PBX";
    case kCdrPortPstn: return "PSTN";
    case kCdrPortGsm: return "GSM";
    default: return {};
  }
}

}  // namespace tusko
