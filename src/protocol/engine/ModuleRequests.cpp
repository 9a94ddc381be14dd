// The GSM modules: identity texts, module reset and the list of cells in reach.
// Each request names one module; repeats ask the module named last.
#include <optional>
#include <string>

#include "protocol/ElementLayouts.h"
#include "protocol/engine/DeviceMaintenance.h"
#include "protocol/engine/IdleRequests.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

constexpr IdleRequestStart kModuleInfoStart{ModuleInfoPending, nullptr, Notification::ModuleInfoRequested, false};
constexpr IdleRequestStart kModuleResetStart{ModuleResetPending, nullptr, Notification::ModuleResetRequested, true};
constexpr IdleRequestStart kCellsStart{CellsPending, nullptr, Notification::CellsRequested, false,
                                       &EngineSettings::communicationTimeoutReadCells};

// The cell list is slow to gather and asked at most twice: a first request
// already counts one repeat.
constexpr int kCellsFirstRepeatCount = kMaxRepeats - 1;

struct ModuleRequest {
  DeviceMessage message;
  bool repeat;
};

// The request for `module` (or the one asked last) with `element`, once the
// link is ready; nothing for a module the gateway does not have, whose index
// would otherwise be cut to a byte and name some other module.
std::optional<ModuleRequest> PrepareModuleRequest(EngineOperations& engine, PendingRequest flag, std::uint8_t element,
                                                  int module) {
  ModuleInformation& info = engine.deviceInformation().module;
  if (module == kLastModule) module = info.index;
  if (module < 0 || module >= static_cast<int>(kGsmModuleCount)) return std::nullopt;
  const bool repeat = engine.HasPending(flag);
  if (!engine.BeginRequest(repeat)) return std::nullopt;
  info.index = module;
  ModuleRequest request{CreateMessage(MessageType::Request), repeat};
  AddElementBytes(request.message, element, {static_cast<unsigned>(module)});
  return request;
}

std::string TextOf(const DeviceMessage& reply, std::uint8_t element, std::size_t capacity) {
  const auto found = FindElement(reply, element);
  return found ? ElementText(*found, capacity) : std::string();
}

// The notifications are kept for the request that is pending: the answer to
// an earlier try that arrives late reports nothing twice.
void OnModuleType(EngineOperations& engine, const DeviceMessage& reply, const ElementView& element) {
  const bool asked = engine.HasPending(ModuleInfoPending);
  if (asked) engine.StopTimer();
  ModuleInformation& module = engine.deviceInformation().module;
  module.type = ElementText(element, kModuleTypeCapacity);
  module.imei = TextOf(reply, ie::ModuleImei, kModuleIdCapacity);
  module.imsi = TextOf(reply, ie::ModuleImsi, kModuleIdCapacity);
  module.network = TextOf(reply, ie::ModuleNetwork, kModuleNetworkCapacity);
  if (asked) engine.NotifyResult(Notification::ModuleInfoResult, OperationResult::Done);
  engine.ClearPendingFlag(ModuleInfoPending);
}

void OnModuleReset(EngineOperations& engine, const DeviceMessage&, const ElementView&) {
  if (!engine.HasPending(ModuleResetPending)) return;
  engine.StopTimer();
  engine.NotifyResult(Notification::ModuleResetResult, OperationResult::Done);
  engine.ClearPendingFlag(ModuleResetPending);
}

void OnModuleCells(EngineOperations& engine, const DeviceMessage&, const ElementView& element) {
  if (!engine.HasPending(CellsPending)) return;
  engine.StopTimer();
  engine.deviceInformation().module.cells = ReadModuleCells(element);
  engine.NotifyResult(Notification::CellsResult, OperationResult::Done);
  engine.ClearPendingFlag(CellsPending);
}

}  // namespace

bool OperationEngine::GetModuleInfo(int module) {
  auto request = PrepareModuleRequest(*this, ModuleInfoPending, ie::ModuleType, module);
  if (!request) return false;
  info_.module.type.clear();
  info_.module.imei.clear();
  info_.module.imsi.clear();
  info_.module.network.clear();
  LogLine("Get module info - %d", info_.module.index);
  return SendIdleRequest(*this, kModuleInfoStart, request->message, request->repeat);
}

bool OperationEngine::ResetModule(int module) {
  auto request = PrepareModuleRequest(*this, ModuleResetPending, ie::ModuleReset, module);
  if (!request) return false;
  return SendIdleRequest(*this, kModuleResetStart, request->message, request->repeat);
}

bool OperationEngine::GetCells(int module) {
  auto request = PrepareModuleRequest(*this, CellsPending, ie::ModuleCells, module);
  if (!request) return false;
  info_.module.cells = {};
  const bool sent = SendIdleRequest(*this, kCellsStart, request->message, request->repeat);
  if (!request->repeat) SetRetries(kCellsFirstRepeatCount);
  return sent;
}

void RegisterModuleRequests(OperationRegistry& registry) {
  IdleRequests& idle = registry.Idle();
  idle.AddRequest(ModuleInfoPending, {.result = Notification::ModuleInfoResult,
                                      .repeat = [](EngineOperations& e) { e.front().GetModuleInfo(kLastModule); }});
  idle.AddRequest(ModuleResetPending, {.result = Notification::ModuleResetResult,
                                       .repeat = [](EngineOperations& e) { e.front().ResetModule(kLastModule); },
                                       .onPasswordRequired = PasswordRule::AskPassword});
  idle.AddRequest(CellsPending, {.result = Notification::CellsResult,
                                 .repeat = [](EngineOperations& e) { e.front().GetCells(kLastModule); }});
  idle.AddReply(ie::ModuleType, OnModuleType);
  idle.AddReply(ie::ModuleReset, OnModuleReset);
  idle.AddReply(ie::ModuleCells, OnModuleCells);
}

}  // namespace tusko
