#include "sim/GatewayDiagnostics.h"

#include <algorithm>

namespace tusko::sim {

namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A stretch [from, to) that comes back every `period`.
struct Window {
  milliseconds period, from, to;

  bool Contains(milliseconds t) const {
    const milliseconds phase = t % period;
    return phase >= from && phase < to;
  }
  // How much of [0, t) lay inside the window.
  milliseconds TimeInside(milliseconds t) const {
    return (t / period) * (to - from) + std::clamp(t % period - from, milliseconds::zero(), to - from);
  }
};

// Line 1 stays up; line 2 loses its signal for the last third of every minute.
constexpr Window kLine2Up{seconds(60), seconds(0), seconds(40)};
// Calls on the ISDN lines; on line 2 they fall inside its up-time.
constexpr std::array<Window, kIsdnLines> kIsdnCalls{{
    {seconds(60), seconds(0), seconds(15)},
    {seconds(60), seconds(5), seconds(15)},
}};

// Credit used before the simulation began and credit allowed, in seconds, per pair.
struct CreditPlan {
  std::array<std::uint32_t, 3> usedBefore;
  std::array<std::uint32_t, 3> allowed;
};
constexpr std::array<CreditPlan, kIsdnLines> kIsdnCredit{{
    {{600, 5400, 31000}, {7200, 36000, 144000}},
    {{0, 1200, 9000}, {7200, 36000, 144000}},
}};

// One module's call rhythm: the states of a call, each from its start in the
// period, and the connected part that uses credit. Idle outside them.
struct CallPhase {
  milliseconds from;
  std::uint16_t status;
};
struct ModulePlan {
  milliseconds period;
  std::array<CallPhase, 3> call;  // setting up, connected, clearing
  milliseconds callEnd;
  std::uint16_t flags;  // kept beside every state
  std::uint8_t signalLow, signalHigh;
  milliseconds signalPeriod;
  CreditPlan credit;

  Window Connected() const { return {period, call[1].from, call[2].from}; }
};
constexpr std::array<ModulePlan, kModuleCount> kModules{{
    {seconds(45),
     {{{seconds(30), kGsmOutCall}, {seconds(33), kGsmActiveOutCall}, {seconds(43), kGsmDiscReq}}},
     seconds(45),
     0,
     12,
     24,
     seconds(60),
     {{300, 2700, 12000}, {3600, 18000, 60000}}},
    {seconds(70),
     {{{seconds(50), kGsmInCall}, {seconds(52), kGsmActiveInCall}, {seconds(62), kGsmDiscInd}}},
     seconds(64),
     kGsmRoamingFlag,
     8,
     18,
     seconds(90),
     {{0, 600, 4200}, {3600, 18000, 60000}}},
}};

// Rises from low to high over half the period and falls back over the other half.
std::uint8_t Triangle(milliseconds t, milliseconds period, std::uint8_t low, std::uint8_t high) {
  const milliseconds half = period / 2;
  const milliseconds phase = t % period;
  const milliseconds climbed = phase < half ? phase : period - phase;
  return static_cast<std::uint8_t>(low + (high - low) * climbed / half);
}

CreditCounters Counters(const CreditPlan& plan, milliseconds calls) {
  const auto used = static_cast<std::uint32_t>(std::chrono::duration_cast<seconds>(calls).count());
  CreditCounters counters{};
  for (std::size_t pair = 0; pair < plan.allowed.size(); ++pair) {
    counters[2 * pair] = std::min(plan.usedBefore[pair] + used, plan.allowed[pair]);
    counters[2 * pair + 1] = plan.allowed[pair];
  }
  return counters;
}

}  // namespace

void GatewayDiagnostics::Advance(milliseconds elapsed) {
  // Saturates rather than overflows on an absurd step.
  if (elapsed > milliseconds::zero()) powered_ += std::min(elapsed, milliseconds::max() - powered_);
}

void GatewayDiagnostics::RestartModule(std::size_t module) {
  if (module < kModuleCount) offNetworkUntil_[module] = powered_ + kModuleRestartMs;
}

std::array<std::uint16_t, kIsdnLines> GatewayDiagnostics::IsdnStatusWords() const {
  constexpr std::uint16_t kUp = kIsdnLayer2Up | kIsdnSdi;
  return {kUp, kLine2Up.Contains(powered_) ? kUp : kIsdnLossOfSignal};
}

CreditCounters GatewayDiagnostics::IsdnCredit(std::size_t line) const {
  if (line >= kIsdnLines) return {};
  return Counters(kIsdnCredit[line], kIsdnCalls[line].TimeInside(powered_));
}

GsmModuleState GatewayDiagnostics::GsmStatus(std::size_t module) const {
  if (module >= kModuleCount || powered_ < offNetworkUntil_[module]) return {kGsmInit, kGsmSignalNone, false};
  const ModulePlan& plan = kModules[module];
  const milliseconds phase = powered_ % plan.period;
  std::uint16_t status = kGsmIdle;
  for (const CallPhase& step : plan.call) {
    if (phase >= step.from && phase < plan.callEnd) status = step.status;
  }
  const std::uint8_t signal = Triangle(powered_, plan.signalPeriod, plan.signalLow, plan.signalHigh);
  return {static_cast<std::uint16_t>(status | plan.flags), signal, true};
}

CreditCounters GatewayDiagnostics::GsmCredit(std::size_t module) const {
  if (module >= kModuleCount) return {};
  const ModulePlan& plan = kModules[module];
  return Counters(plan.credit, plan.Connected().TimeInside(powered_));
}

}  // namespace tusko::sim
