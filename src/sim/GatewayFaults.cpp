#include "sim/GatewayFaults.h"

#include <algorithm>

namespace tusko::sim {

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
    case FaultKind::DropReply:
    case FaultKind::Reject:
    case FaultKind::Silent:
      break;
  }
}

}  // namespace tusko::sim
