#include "sim/GatewayRestarts.h"

#include "sim/GatewayReplies.h"

namespace tusko::sim {

namespace {

// The event a freshly started program sends: who it is, what it runs and, from
// a loader without valid firmware, the cause that keeps it there.
DeviceMessage StartEvent(const GatewayState& state) {
  const bool firmwareRuns = state.phase == GatewayPhase::Firmware;
  DeviceMessage event = MakeEvent(firmwareRuns ? ie::FirmwareStarted : ie::LoaderStarted);
  AddSystemInfo(event, state.identity, firmwareRuns);
  if (!firmwareRuns && !state.identity.hasValidFirmware) AddElementBytes(event, ie::Cause, {cause::NoFirmware});
  return event;
}

}  // namespace

void BeginRestart(GatewayState& state, GatewayPhase target, std::chrono::milliseconds duration) {
  state.phase = GatewayPhase::Restarting;
  state.boot = PendingBoot{target, duration};
  state.monitoring = false;
  state.config.AbortWrite();
}

DeviceMessage HandleReset(GatewayState& state, const DeviceMessage&) {
  BeginRestart(state, GatewayPhase::Loader, state.identity.restartToLoader);
  return MakeReply(ie::Reset);
}

DeviceMessage HandleSwitchToFirmware(GatewayState& state, const DeviceMessage&) {
  if (!state.identity.hasValidFirmware) return MakeReject(cause::NoFirmware);
  BeginRestart(state, GatewayPhase::Firmware, state.identity.restartToFirmware);
  return MakeReply(ie::SwitchToFirmware);
}

std::optional<DeviceMessage> AdvanceBoot(GatewayState& state, std::chrono::milliseconds elapsed) {
  if (!state.boot || elapsed <= std::chrono::milliseconds::zero()) return std::nullopt;
  if (elapsed < state.boot->remaining) {
    state.boot->remaining -= elapsed;
    return std::nullopt;
  }
  state.phase = state.boot->target;
  state.boot.reset();
  ++state.restartsDone;
  return StartEvent(state);
}

}  // namespace tusko::sim
