#include "sim/GatewayRestarts.h"

#include "config/AddressFields.h"
#include "config/FieldCatalog.h"
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

Ipv4Address StoredAddress(const ConfigurationImage& image, std::string_view id) {
  const tusko::Ipv4Address address = ReadIpDigits(image, {catalog::FindField(id).Offset()});
  return {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
          static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

// A firmware that starts takes its LAN settings from the stored configuration,
// as the gateway does; a stored port of 0 leaves the port it had.
void TakeLanSettings(GatewayState& state) {
  const ConfigurationImage& stored = state.config.Stored();
  state.identity.ipAddress = StoredAddress(stored, "network.lanIp");
  state.identity.subnetMask = StoredAddress(stored, "network.subnetMask");
  state.identity.defaultGateway = StoredAddress(stored, "network.defaultGateway");
  const std::uint32_t port = ReadPortDigits(stored, {catalog::FindField("network.port").Offset()});
  if (port > 0 && port <= 0xFFFF) state.identity.tcpPort = static_cast<std::uint16_t>(port);
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
  if (state.phase == GatewayPhase::Firmware) TakeLanSettings(state);
  return StartEvent(state);
}

}  // namespace tusko::sim
