#include "sim/GatewayCdrStore.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "protocol/ElementNumbers.h"
#include "protocol/TransferConstants.h"
#include "sim/GatewayReplies.h"

namespace tusko::sim {

namespace {

constexpr std::uint32_t kSeed = 0x2545F491;
// Numerical Recipes' linear congruential generator: enough for varied test data.
constexpr std::uint32_t kLcgMultiplier = 1664525;
constexpr std::uint32_t kLcgIncrement = 1013904223;
constexpr std::size_t kMaxTextChars = 47;  // caller id and called number together
constexpr std::uint32_t kMaxCallSeconds = 4 * 3600;
constexpr int kMinutesBetweenCalls = 37;
constexpr std::uint8_t kPortsPerKind = 2;
constexpr std::string_view kDirectionArrow = "->";
constexpr std::string_view kUnansweredPrefix = "Unanswered";
constexpr int kMinutesPerHour = 60;
constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerDay = kHoursPerDay * kMinutesPerHour;
constexpr int kDaysPerMonth = 28;  // every generated month is short: any day number is valid
constexpr int kMonthsPerYear = 12;
constexpr int kFirstYear = 2024;
constexpr std::uint32_t kDecimalDigits = 10;
constexpr std::uint32_t kSecondsPerMinute = 60;
constexpr std::uint32_t kShortTextChars = 16;
constexpr std::size_t kLongCalledChars = 24;
constexpr std::size_t kOrdinaryChars = 10;
constexpr std::size_t kTextPatterns = 5;

constexpr std::array<std::uint8_t, 6> kCauses{16, 17, 18, 19, 31, 34};
constexpr std::array<std::uint8_t, 3> kPortKinds{kCdrPortPbx, kCdrPortPstn, kCdrPortGsm};

class Random {
 public:
  std::uint32_t Next(std::uint32_t below) {
    state_ = state_ * kLcgMultiplier + kLcgIncrement;
    return (state_ >> 8) % below;
  }

 private:
  std::uint32_t state_ = kSeed;
};

std::string Digits(Random& random, std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char>('0' + random.Next(kDecimalDigits));
  return text;
}

std::optional<std::uint8_t> PortKindNamed(std::string_view name) {
  for (std::uint8_t kind : kPortKinds) {
    if (CdrPortTypeText(kind) == name) return kind;
  }
  return std::nullopt;
}

// Ports that fit the direction the call type's text names ("... PBX->GSM"), else any.
std::pair<std::uint8_t, std::uint8_t> PortKinds(std::uint16_t callType, Random& random) {
  const std::string_view text = CdrCallTypeText(callType);
  const std::size_t arrow = text.find(kDirectionArrow);
  if (arrow != std::string_view::npos) {
    const std::string_view before = text.substr(0, arrow);
    const auto from = PortKindNamed(before.substr(before.rfind(' ') + 1));
    const auto to = PortKindNamed(text.substr(arrow + kDirectionArrow.size()));
    if (from && to) return {*from, *to};
  }
  return {kPortKinds[random.Next(kPortKinds.size())], kPortKinds[random.Next(kPortKinds.size())]};
}

// Text lengths that cover empty texts, ordinary numbers and the longest pair that fits.
std::pair<std::size_t, std::size_t> TextLengths(std::size_t index, Random& random) {
  switch (index % kTextPatterns) {
    case 0: return {0, kOrdinaryChars};
    case 1: return {kMaxTextChars - kLongCalledChars, kLongCalledChars};
    case 2: return {kOrdinaryChars, 0};
    default: return {random.Next(kShortTextChars), 1 + random.Next(kShortTextChars)};
  }
}

}  // namespace

std::vector<CdrRecord> GenerateCdrRecords(int count) {
  const std::vector<std::uint16_t> callTypes = KnownCdrCallTypes();
  Random random;
  std::vector<CdrRecord> records;
  int minutes = 0;
  for (std::size_t i = 0; i < static_cast<std::size_t>(std::max(count, 0)); ++i) {
    CdrRecord r;
    r.callType = callTypes[i % callTypes.size()];
    minutes += kMinutesBetweenCalls + static_cast<int>(random.Next(kMinutesPerHour));
    const int day = minutes / kMinutesPerDay;
    const int month = day / kDaysPerMonth;
    r.time = {kFirstYear + month / kMonthsPerYear, 1 + month % kMonthsPerYear, 1 + day % kDaysPerMonth,
              minutes / kMinutesPerHour % kHoursPerDay, minutes % kMinutesPerHour,
              static_cast<int>(random.Next(kSecondsPerMinute))};
    r.cause = kCauses[random.Next(kCauses.size())];
    const auto [in, out] = PortKinds(r.callType, random);
    r.inPort = {in, static_cast<std::uint8_t>(random.Next(kPortsPerKind))};
    r.outPort = {out, static_cast<std::uint8_t>(random.Next(kPortsPerKind))};
    r.lengthSeconds = CdrCallTypeText(r.callType).starts_with(kUnansweredPrefix) ? 0 : random.Next(kMaxCallSeconds);
    const auto [callerLength, calledLength] = TextLengths(i, random);
    r.callerId = Digits(random, callerLength);
    r.calledNumber = Digits(random, calledLength);
    records.push_back(std::move(r));
  }
  return records;
}

void GatewayCdrStore::Fill(int count, std::uint32_t start) {
  generated_ = GenerateCdrRecords(count);
  stored_.clear();
  sent_.reset();
  std::uint32_t position = start % kCdrPositionWindow;
  for (const CdrRecord& record : generated_) {
    stored_.push_back({position, EncodeCdrRecord(record)});
    position = static_cast<std::uint32_t>((position + kCdrRecordBytes) % kCdrPositionWindow);
  }
}

DeviceMessage GatewayCdrStore::Answer(const DeviceMessage& request) {
  const auto data = FindElement(request, ie::CdrData);
  if (!data || data->data.size() > 1) return MakeReject(cause::NotAllowed);
  if (request.type() == static_cast<std::uint8_t>(MessageType::Reject)) {
    // The utility could not store the chunk: nothing is deleted, the chunk goes again.
    const auto refusal = FindElement(request, ie::Cause);
    if (!refusal || refusal->data.empty() || refusal->data[0] != cause::CdrStoreFailed) {
      return MakeReject(cause::NotAllowed);
    }
    ++storeFailures_;
    lastFailureCount_ = refusal->data.size() > 1 ? refusal->data[1] : 0;
    return NextChunk();
  }
  TakeAcknowledgement(request);
  if (restartPending_) {
    restartPending_ = false;
    return MakeReject(cause::CdrRestart);
  }
  return NextChunk();
}

void GatewayCdrStore::TakeAcknowledgement(const DeviceMessage& request) {
  const auto data = FindElement(request, ie::CdrData);
  const auto address = FindElement(request, ie::CdrAddress);
  if (!sent_ || data->data.size() != 1 || !address) return;
  if (data->data[0] != sent_->length || ReadNumber32(*address) != sent_->position) return;
  stored_.erase(stored_.begin(), stored_.begin() + static_cast<std::ptrdiff_t>(sent_->records));
  sent_.reset();
}

DeviceMessage GatewayCdrStore::NextChunk() {
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  const std::size_t records = std::min(kCdrRecordsPerChunk, stored_.size());
  if (records == 0) {
    AddElement(reply, ie::CdrData, {});
    sent_.reset();
    return reply;
  }
  std::vector<std::uint8_t> chunk;
  for (std::size_t i = 0; i < records; ++i) chunk.insert(chunk.end(), stored_[i].bytes.begin(), stored_[i].bytes.end());
  sent_ = SentChunk{stored_.front().position, chunk.size(), records};
  AddElement(reply, ie::CdrData, chunk);
  AddElement(reply, ie::CdrAddress, EncodeNumber32(sent_->position));
  return reply;
}

}  // namespace tusko::sim
