#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "protocol/ElementLayouts.h"
#include "sim/GatewayIdentity.h"

namespace tusko::sim {

inline constexpr std::size_t kIsdnLines = 2;

// IsdnStatus bits of one line's status word.
inline constexpr std::uint16_t kIsdnSdi = 0x0001;
inline constexpr std::uint16_t kIsdnLayer2Up = 0x0002;
inline constexpr std::uint16_t kIsdnLossOfSignal = 0x0080;

// GsmStatus codes the modules go through.
inline constexpr std::uint16_t kGsmInit = 1;
inline constexpr std::uint16_t kGsmIdle = 16;
inline constexpr std::uint16_t kGsmOutCall = 17;
inline constexpr std::uint16_t kGsmInCall = 18;
inline constexpr std::uint16_t kGsmActiveOutCall = 26;
inline constexpr std::uint16_t kGsmActiveInCall = 27;
inline constexpr std::uint16_t kGsmDiscReq = 28;
inline constexpr std::uint16_t kGsmDiscInd = 29;
inline constexpr std::uint16_t kGsmRoamingFlag = 0x1000;  // set beside the state; the utility ignores it

// How long a reset module stays away from its network.
inline constexpr std::chrono::milliseconds kModuleRestartMs{10000};

// Six counters in seconds: three pairs of credit used and credit allowed
// (day, week, month).
using CreditCounters = std::array<std::uint32_t, kCreditCounterCount>;

struct GsmModuleState {
  std::uint16_t status;
  std::uint8_t signal;  // GSM scale 0-31, kGsmSignalNone while not registered
  bool registered;      // logged in to its network
};

// The gateway's lines and modules as they change while it runs: line 2 drops
// now and then, calls come and go on a fixed rhythm and use up credit, the
// GSM signal drifts. Everything follows from the time the gateway has been
// powered, except that a module reset takes its module off the network for a
// while.
class GatewayDiagnostics {
 public:
  void Advance(std::chrono::milliseconds elapsed);
  void RestartModule(std::size_t module);

  std::array<std::uint16_t, kIsdnLines> IsdnStatusWords() const;
  CreditCounters IsdnCredit(std::size_t line) const;
  GsmModuleState GsmStatus(std::size_t module) const;
  CreditCounters GsmCredit(std::size_t module) const;

 private:
  std::chrono::milliseconds powered_{0};
  std::array<std::chrono::milliseconds, kModuleCount> offNetworkUntil_{};
};

}  // namespace tusko::sim
