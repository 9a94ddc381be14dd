#include "sim/GatewayFaults.h"

#include <algorithm>

#include "protocol/ElementNumbers.h"

namespace tusko::sim {

namespace {

// How far a wrong address is off: one block of the largest kind.
constexpr std::uint32_t kAddressSlip = 0x100;

void SlipAddress(DeviceMessage& answer) {
  for (const std::uint8_t id : {ie::Address, ie::FlashAddress, ie::CdrAddress}) {
    const auto element = FindElement(answer, id);
    const auto address = element ? ReadNumber32(*element) : std::nullopt;
    if (!address) continue;
    const auto slipped = EncodeNumber32(*address + kAddressSlip);
    const auto at = element->data.data() - answer.buffer().data();
    std::copy(slipped.begin(), slipped.end(), answer.buffer().begin() + at);
    return;
  }
}

// The first element loses its last byte (an empty one gains a zero byte); the
// elements after it move along, so that the answer is well formed but short.
void ShiftFirstElementLength(DeviceMessage& answer) {
  auto& bytes = answer.buffer();
  const std::size_t ieLength = answer.ieLength();
  if (ieLength < kElementHeaderSize) return;
  const std::size_t first = kMessageHeaderSize;
  const std::size_t elementEnd = first + kElementHeaderSize + bytes[first + 1];
  const std::size_t areaEnd = kMessageHeaderSize + ieLength;
  if (bytes[first + 1] > 0) {
    std::copy(bytes.begin() + elementEnd, bytes.begin() + areaEnd, bytes.begin() + elementEnd - 1);
    --bytes[first + 1];
    --bytes[1];
  } else if (ieLength < kMaxIeAreaLength) {
    std::copy_backward(bytes.begin() + elementEnd, bytes.begin() + areaEnd, bytes.begin() + areaEnd + 1);
    bytes[elementEnd] = 0;
    ++bytes[first + 1];
    ++bytes[1];
  }
}

}  // namespace

void FaultQueue::Add(const Fault& fault) {
  if (fault.count > 0) armed_.push_back(fault);
}

std::optional<Fault> FaultQueue::Take(std::uint8_t requestIe) {
  const auto hit = std::find_if(armed_.begin(), armed_.end(), [requestIe](const Fault& fault) {
    return fault.requestIe == kAnyRequest || fault.requestIe == requestIe;
  });
  if (hit == armed_.end()) return std::nullopt;
  const Fault fault = *hit;
  if (--hit->count == 0) armed_.erase(hit);
  return fault;
}

bool FaultQueue::Holds(FaultKind kind) const {
  return std::any_of(armed_.begin(), armed_.end(), [kind](const Fault& fault) { return fault.kind == kind; });
}

void Damage(DeviceMessage& answer, FaultKind kind) {
  auto& bytes = answer.buffer();
  switch (kind) {
    case FaultKind::CorruptChecksum:
      ++bytes[kMessageHeaderSize + answer.ieLength()];
      break;
    case FaultKind::BadType:
      // Sealed again so that the type byte is the only thing wrong.
      bytes[0] = kBadTypeByte;
      SealMessage(answer);
      break;
    case FaultKind::WrongAddress:
      SlipAddress(answer);
      SealMessage(answer);
      break;
    case FaultKind::WrongLength:
      ShiftFirstElementLength(answer);
      SealMessage(answer);
      break;
    case FaultKind::DropReply:
    case FaultKind::Reject:
    case FaultKind::Silent:
      break;
  }
}

}  // namespace tusko::sim
