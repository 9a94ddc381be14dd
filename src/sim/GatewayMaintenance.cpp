#include "sim/GatewayMaintenance.h"

#include <optional>
#include <vector>

#include "sim/GatewayReplies.h"

namespace tusko::sim {

namespace {

std::optional<std::size_t> ModuleIndex(const DeviceMessage& request, std::uint8_t id) {
  const auto element = FindElement(request, id);
  if (!element || element->data.empty() || element->data[0] >= kModuleCount) return std::nullopt;
  return element->data[0];
}

DeviceMessage ClockReply(const GatewayClock& clock) {
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddElement(reply, ie::DateTime, clock.Encode());
  AddElement(reply, ie::LastTimeSync, clock.LastSync());
  return reply;
}

}  // namespace

DeviceMessage HandleDateTime(GatewayState& state, const DeviceMessage& request) {
  const auto data = FindElement(request, ie::DateTime)->data;
  const bool readOnly = data.empty();
  if (!readOnly && !state.clock.Set(data)) return MakeReject(cause::NotAllowed);
  return ClockReply(state.clock);
}

DeviceMessage HandleNewPassword(GatewayState& state, const DeviceMessage& request) {
  const std::string password = ElementText(*FindElement(request, ie::NewPassword), kMaxIeAreaLength);
  if (password.size() > kMaxPasswordLength) return MakeReject(cause::NotAllowed);
  state.identity.password = password;
  return MakeReply(ie::NewPassword);
}

DeviceMessage HandleModuleType(GatewayState& state, const DeviceMessage& request) {
  const auto index = ModuleIndex(request, ie::ModuleType);
  if (!index) return MakeReject(cause::NotAllowed);
  const GsmModuleIdentity& module = state.identity.modules[*index];
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddTextElement(reply, ie::ModuleType, module.type, false);
  AddTextElement(reply, ie::ModuleImei, module.imei, false);
  AddTextElement(reply, ie::ModuleImsi, module.imsi, false);
  AddTextElement(reply, ie::ModuleNetwork, module.network, false);
  return reply;
}

DeviceMessage HandleModuleReset(GatewayState& state, const DeviceMessage& request) {
  const auto index = ModuleIndex(request, ie::ModuleReset);
  if (!index) return MakeReject(cause::NotAllowed);
  state.diagnostics.RestartModule(*index);
  return MakeReply(ie::ModuleReset);
}

DeviceMessage HandleModuleCells(GatewayState& state, const DeviceMessage& request) {
  const auto index = ModuleIndex(request, ie::ModuleCells);
  if (!index) return MakeReject(cause::NotAllowed);
  const std::string& cells = state.identity.modules[*index].cells;
  // Byte 0 leads the cell text; it carries the module index.
  std::vector<std::uint8_t> data{static_cast<std::uint8_t>(*index)};
  data.insert(data.end(), cells.begin(), cells.end());
  DeviceMessage reply = CreateMessage(MessageType::Reply);
  AddElement(reply, ie::ModuleCells, data);
  return reply;
}

}  // namespace tusko::sim
