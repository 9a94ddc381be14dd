#include "protocol/engine/DiagnosticsData.h"

#include <algorithm>
#include <span>

namespace tusko {

namespace {

static_assert(kGsmStatusTextOffset + kGsmStatusTextCapacity < kGsmStatusRecordSize,
              "a GSM status record keeps its text NUL-terminated");

void PutLittleEndian(std::span<std::uint8_t> out, std::uint32_t value) {
  for (auto& byte : out) {
    byte = static_cast<std::uint8_t>(value);
    value >>= 8;
  }
}

// The blocks hold two records; an entry for any other index is skipped here
// even though the readers already drop them, so a reader change cannot write
// past a block.
template <std::size_t N>
void StoreCredit(std::array<std::uint8_t, N>& block, const ElementView& element) {
  for (const CreditEntry& entry : ReadCredit(element)) {
    if (entry.index >= N / kCreditRecordSize) continue;
    auto record = std::span(block).subspan(entry.index * kCreditRecordSize, kCreditRecordSize);
    for (std::size_t i = 0; i < kCreditCounterCount; ++i) PutLittleEndian(record.subspan(i * 4, 4), entry.counters[i]);
  }
}

void StoreGsmStatus(std::array<std::uint8_t, kGsmModuleCount * kGsmStatusRecordSize>& block,
                    const ElementView& element) {
  for (const GsmStatusEntry& entry : ReadGsmStatus(element)) {
    if (entry.index >= kGsmModuleCount) continue;
    auto record = std::span(block).subspan(entry.index * kGsmStatusRecordSize, kGsmStatusRecordSize);
    std::fill(record.begin(), record.end(), std::uint8_t{0});
    PutLittleEndian(record.first(kGsmStatusSignalOffset), entry.status);
    record[kGsmStatusSignalOffset] = entry.signal;
    const std::size_t textLength = std::min(entry.text.size(), kGsmStatusTextCapacity);
    std::copy_n(entry.text.begin(), textLength, record.begin() + kGsmStatusTextOffset);
  }
}

}  // namespace

void DiagnosticsData::Clear() {
  isdnStatus.fill(0);
  isdnCredit.fill(0);
  gsmStatus.fill(0);
  gsmCredit.fill(0);
  for (std::size_t module = 0; module < kGsmModuleCount; ++module) {
    gsmStatus[module * kGsmStatusRecordSize + kGsmStatusSignalOffset] = kGsmSignalUnknown;
  }
}

std::optional<Notification> StoreDiagnostics(DiagnosticsData& data, const DeviceMessage& message) {
  if (const auto element = FindElement(message, ie::IsdnStatus)) {
    std::copy_n(element->data.begin(), std::min(element->data.size(), kIsdnStatusSize), data.isdnStatus.begin());
    return Notification::IsdnStatusData;
  }
  if (const auto element = FindElement(message, ie::IsdnCredit)) {
    StoreCredit(data.isdnCredit, *element);
    return Notification::IsdnCreditData;
  }
  if (const auto element = FindElement(message, ie::GsmStatus)) {
    StoreGsmStatus(data.gsmStatus, *element);
    return Notification::GsmStatusData;
  }
  if (const auto element = FindElement(message, ie::GsmCredit)) {
    StoreCredit(data.gsmCredit, *element);
    return Notification::GsmCreditData;
  }
  return std::nullopt;
}

}  // namespace tusko
