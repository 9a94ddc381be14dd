#include "sim/GatewayDiagnosticsRequests.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "sim/GatewayReplies.h"

namespace tusko::sim {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kStatusWordBytes = 2;
constexpr std::size_t kCounterBytes = 4;
constexpr std::uint8_t kCreditRecordLength = kCreditCounterCount * kCounterBytes;

void AppendLittleEndian(Bytes& out, std::uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// Index, length and the six counters; an index without a line or module gets an empty record.
void AppendCreditRecord(Bytes& out, std::uint8_t index, const CreditCounters* counters) {
  out.push_back(index);
  out.push_back(counters != nullptr ? kCreditRecordLength : 0);
  if (counters == nullptr) return;
  for (std::uint32_t counter : *counters) AppendLittleEndian(out, counter, kCounterBytes);
}

std::span<const std::uint8_t> AskedIndices(const DeviceMessage& request, std::uint8_t element) {
  return FindElement(request, element)->data;
}

DeviceMessage ReplyWithData(std::uint8_t element, const Bytes& data) {
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddElement(reply, element, data);
  return reply;
}

}  // namespace

DeviceMessage HandleIsdnStatus(GatewayState& state, const DeviceMessage&) {
  Bytes data;
  for (std::uint16_t word : state.diagnostics.IsdnStatusWords()) AppendLittleEndian(data, word, kStatusWordBytes);
  return ReplyWithData(ie::IsdnStatus, data);
}

// The utility asks for all four indices of the ISDN credit store; this gateway
// fills the two that have a line.
DeviceMessage HandleIsdnCredit(GatewayState& state, const DeviceMessage& request) {
  const auto asked = AskedIndices(request, ie::IsdnCredit);
  if (asked.empty()) return MakeReject(cause::InvalidData);
  Bytes data;
  for (std::uint8_t line : asked) {
    const CreditCounters counters = state.diagnostics.IsdnCredit(line);
    AppendCreditRecord(data, line, line < kIsdnLines ? &counters : nullptr);
  }
  return ReplyWithData(ie::IsdnCredit, data);
}

DeviceMessage HandleGsmStatus(GatewayState& state, const DeviceMessage& request) {
  const auto asked = AskedIndices(request, ie::GsmStatus);
  if (asked.size() != 1 || asked[0] >= kModuleCount) return MakeReject(cause::InvalidData);
  const std::uint8_t module = asked[0];
  const GsmModuleState status = state.diagnostics.GsmStatus(module);
  const std::string text = status.registered ? state.identity.modules[module].network : std::string();
  const std::size_t textLength = std::min(text.size(), kGsmStatusTextCapacity);
  Bytes data{module};
  AppendLittleEndian(data, status.status, kStatusWordBytes);
  data.push_back(status.signal);
  data.push_back(static_cast<std::uint8_t>(textLength));
  data.insert(data.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(textLength));
  return ReplyWithData(ie::GsmStatus, data);
}

DeviceMessage HandleGsmCredit(GatewayState& state, const DeviceMessage& request) {
  const auto asked = AskedIndices(request, ie::GsmCredit);
  const bool known = std::all_of(asked.begin(), asked.end(), [](std::uint8_t m) { return m < kModuleCount; });
  if (asked.empty() || !known) return MakeReject(cause::InvalidData);
  Bytes data;
  for (std::uint8_t module : asked) {
    const CreditCounters counters = state.diagnostics.GsmCredit(module);
    AppendCreditRecord(data, module, &counters);
  }
  return ReplyWithData(ie::GsmCredit, data);
}

}  // namespace tusko::sim
