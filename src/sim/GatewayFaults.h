#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "protocol/DeviceMessage.h"

namespace tusko::sim {

// Named failure modes of the gateway.
enum class FaultKind {
  DropReply,        // the request is lost: the gateway neither acts on it nor answers
  CorruptChecksum,  // the gateway acts and answers, but the answer's checksum byte is wrong
  Reject,           // the gateway does not act and answers Reject with the fault's cause
  BadType,          // the gateway acts and answers, but the answer's type byte is kBadTypeByte
  Silent,           // as DropReply, and the monitoring output stops until the fault is used up
  WrongAddress,     // the gateway acts and answers, but the address the answer names is one block off
  WrongLength,      // the gateway acts and answers, but the answer's first element is one byte short
};

inline constexpr std::uint8_t kAnyRequest = 0;
inline constexpr std::uint8_t kBadTypeByte = 0x55;

struct Fault {
  FaultKind kind;
  std::uint8_t requestIe = kAnyRequest;  // main element of the requests it hits
  std::uint8_t cause = 0;                // for Reject
  int count = 1;                         // how many requests it hits
};

// Armed faults in the order they were injected; each hit uses up one count.
class FaultQueue {
 public:
  void Add(const Fault& fault);
  // The first armed fault that hits a request with this main element, if any.
  std::optional<Fault> Take(std::uint8_t requestIe);
  // Whether a fault of this kind is still armed.
  bool Holds(FaultKind kind) const;

 private:
  std::vector<Fault> armed_;
};

// Spoils a sealed answer as a CorruptChecksum, BadType, WrongAddress or WrongLength fault
// does; other kinds leave it alone, and so does WrongAddress an answer that names no address.
void Damage(DeviceMessage& answer, FaultKind kind);

}  // namespace tusko::sim
