#include "monitor/DiagnosticsTexts.h"

#include <algorithm>
#include <array>

#include "base/Latin1Text.h"
#include "base/SafeFormat.h"

namespace tusko {

namespace {

constexpr std::uint16_t kIsdnNoState = 0x8000;
constexpr std::uint16_t kIsdnLossOfSignal = 0x0080;
constexpr std::uint16_t kIsdnLayer2 = 0x0002;
constexpr std::uint16_t kIsdnSynchronised = 0x0001;

constexpr std::uint16_t kGsmIgnoredBit = 0x1000;
constexpr std::uint16_t kGsmCmeErrorBit = 0x8000;
constexpr std::uint16_t kGsmCmeErrorLimit = 1000;
constexpr std::uint16_t kGsmErrorFirst = 224;
constexpr std::uint16_t kGsmErrorLast = 255;

constexpr std::uint8_t kSignalMin = 0;
constexpr std::uint8_t kSignalMax = 31;
constexpr std::uint8_t kSignalNone = 99;
constexpr int kSignalBaseDbm = -113;
constexpr int kDbmPerStep = 2;

constexpr std::size_t kStatusTextCapacity = 255;  // characters

struct NamedStatus {
  std::uint16_t code;
  std::string_view key;
  StatusColour colour;
};

constexpr std::array kNamedStatuses{
    NamedStatus{0, "strDiagGsmStatusNone", StatusColour::WindowFace},
    NamedStatus{1, "strDiagGsmStatusInit", StatusColour::WindowFace},
    NamedStatus{2, "strDiagGsmStatusLogout", StatusColour::Red},
    NamedStatus{15, "strDiagGsmStatusUnauthorized", StatusColour::Red},
    NamedStatus{16, "strDiagGsmStatusIdle", StatusColour::Green},
    NamedStatus{17, "strDiagGsmStatusOutCall", StatusColour::Yellow},
    NamedStatus{18, "strDiagGsmStatusInCall", StatusColour::Blue},
    NamedStatus{20, "strDiagGsmStatusSms", StatusColour::Magenta},
    NamedStatus{26, "strDiagGsmStatusActiveOutCall", StatusColour::Yellow},
    NamedStatus{27, "strDiagGsmStatusActiveInCall", StatusColour::Blue},
    NamedStatus{28, "strDiagGsmStatusDiscReq", StatusColour::DarkGreen},
    NamedStatus{29, "strDiagGsmStatusDiscInd", StatusColour::DarkGreen},
    NamedStatus{128, "strDiagGsmStatusNotConfigured", StatusColour::WindowFace},
    NamedStatus{227, "strDiagGsmStatusAnotherPin", StatusColour::Red},
    NamedStatus{228, "strDiagGsmStatusPinError2", StatusColour::Red},
    NamedStatus{229, "strDiagGsmStatusPinRequired", StatusColour::Red},
    NamedStatus{230, "strDiagGsmStatusNoSim2Module", StatusColour::Red},
    NamedStatus{238, "strDiagGsmStatusAnotherError", StatusColour::Red},
    NamedStatus{240, "strDiagGsmStatusNotPresent", StatusColour::Red},
};

std::string CmeErrorText(int error, const TextLookup& text) {
  const std::string ownKey = "strDiagGsmStatusCmeError" + std::to_string(error);
  if (!text(ownKey).empty()) return SafeFormat(text(ownKey), {error}, kStatusTextCapacity);
  return SafeFormat(text("strDiagGsmStatusCmeError"), {error}, kStatusTextCapacity);
}

}  // namespace

IsdnLineIndicators DecodeIsdnLine(std::uint16_t statusWord) {
  if ((statusWord & kIsdnNoState) != 0) return {};
  return {(statusWord & kIsdnLossOfSignal) != 0, (statusWord & kIsdnLayer2) != 0,
          (statusWord & kIsdnSynchronised) != 0};
}

std::uint16_t StoredWord(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint32_t StoredCounter(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(StoredWord(bytes, offset)) |
         static_cast<std::uint32_t>(StoredWord(bytes, offset + 2)) << 16;
}

std::string CreditPairText(std::uint32_t first, std::uint32_t second) {
  if (first == 0 && second == 0) return "0 / 0";
  return SafeFormat("%u:%02u / %u:%02u", {first / 60, first % 60, second / 60, second % 60}, kStatusTextCapacity);
}

GsmStatusText DescribeGsmStatus(std::uint16_t code, std::string_view information, const TextLookup& text) {
  const std::uint16_t status = code & static_cast<std::uint16_t>(~kGsmIgnoredBit);
  const auto named = std::find_if(kNamedStatuses.begin(), kNamedStatuses.end(),
                                  [status](const NamedStatus& entry) { return entry.code == status; });
  if (named != kNamedStatuses.end()) {
    std::string shown = text(named->key);
    if (!information.empty()) shown.append(" - ").append(information);
    return {std::move(shown), named->colour};
  }
  if (status >= kGsmErrorFirst && status <= kGsmErrorLast) {
    return {SafeFormat(text("strDiagGsmStatusError"), {status}, kStatusTextCapacity), StatusColour::Red};
  }
  const int cmeError = status & static_cast<std::uint16_t>(~kGsmCmeErrorBit);
  if ((status & kGsmCmeErrorBit) != 0 && cmeError < kGsmCmeErrorLimit) {
    return {CmeErrorText(cmeError, text), StatusColour::Red};
  }
  return {SafeFormat(text("strDiagGsmStatusUnknown"), {status}, kStatusTextCapacity), StatusColour::WindowFace};
}

std::string GsmSignalText(std::uint8_t quality, const TextLookup& text) {
  if (quality == kSignalMin) return text("strDiagGsmSignalMin");
  if (quality == kSignalMax) return text("strDiagGsmSignalMax");
  if (quality == kSignalNone) return text("strDiagGsmSignalNo");
  if (quality < kSignalMax) return std::to_string(*GsmSignalDbm(quality)) + " dBm";
  return text("strDiagGsmSignalUnknown");
}

std::optional<int> GsmSignalDbm(std::uint8_t quality) {
  if (quality > kSignalMax) return std::nullopt;
  return kDbmPerStep * quality + kSignalBaseDbm;
}

GsmModuleStatus ReadGsmModuleStatus(const DiagnosticsData& data, std::size_t module) {
  const std::span<const std::uint8_t> record =
      std::span(data.gsmStatus).subspan(module * kGsmStatusRecordSize, kGsmStatusRecordSize);
  const auto text = record.subspan(kGsmStatusTextOffset);
  const auto end = std::find(text.begin(), text.end(), std::uint8_t{0});
  return {StoredWord(record, 0), record[kGsmStatusSignalOffset], Latin1ToUtf8(std::string(text.begin(), end))};
}

}  // namespace tusko
