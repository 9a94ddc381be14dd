// System and LAN information: the idle-state requests that ask the gateway who
// it is, and their replies.
#include <optional>

#include "protocol/ElementLayouts.h"
#include "protocol/engine/IdleRequests.h"
#include "protocol/engine/OperationEngine.h"

namespace tusko {

namespace {

constexpr IdleRequestStart kSystemInfoStart{SystemInfoPending, "Get system info", Notification::SystemInfoRequested,
                                            false};
constexpr IdleRequestStart kSystemInfoCheckStart{SystemInfoCheckPending, "Get system info",
                                                 Notification::SystemInfoRequested, false};
constexpr IdleRequestStart kLanInfoStart{LanInfoPending, "Get LAN info", Notification::LanInfoRequested, false};

// LAN information is asked again once after a time-out; the second one ends it.
constexpr int kLanInfoTimeoutRepeats = 1;

DeviceMessage SystemInfoRequest() {
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::LoaderVersion, {});
  return request;
}

// A gateway that is still collecting its LAN settings says RetryLater; any
// other refusal would only be repeated in vain.
bool RepeatsLanInfoRefusal(EngineOperations&, std::optional<std::uint8_t> cause) { return cause == cause::RetryLater; }

void OnFirmwareVersion(EngineOperations& engine, const DeviceMessage& reply, const ElementView&) {
  if (engine.HasPending(SystemInfoPending) || engine.HasPending(SystemInfoCheckPending)) engine.StopTimer();
  engine.StoreVersions(reply);
  if (const auto runMode = FindElement(reply, ie::RunMode)) engine.StoreRunMode(*runMode);

  if (engine.HasPending(SystemInfoPending)) {
    // The window may decline the follow-up while it handles the result (a
    // version conflict) by clearing SystemInfoPending.
    engine.NotifyNow(Notification::SystemInfoResult, static_cast<int>(OperationResult::Done));
    if (engine.HasPending(SystemInfoPending)) {
      engine.ClearPendingFlag(SystemInfoPending);
      engine.front().GetLanInfo();
    }
  }
  // Monitoring was waiting to learn the firmware: now it asks for the output,
  // with fresh tries. A reply that names no firmware leaves the request to its
  // time-out, so that a gateway without firmware cannot keep it going forever.
  if (engine.HasPending(MonitorStartPending) && !engine.deviceInformation().system.firmwareVersion.empty()) {
    engine.SetRetries(0);
    engine.front().StartMonitoring();
  }
  if (engine.HasPending(SystemInfoCheckPending)) {
    engine.NotifyResult(Notification::SystemInfoResult, OperationResult::Done);
    engine.ClearPendingFlag(SystemInfoCheckPending);
  }
}

void OnLanInfo(EngineOperations& engine, const DeviceMessage&, const ElementView& element) {
  const bool asked = engine.HasPending(LanInfoPending);
  if (asked) engine.StopTimer();

  const LanInfoData read = ReadLanInfo(element);
  LanInformation& lan = engine.deviceInformation().lan;
  lan.ipAddress = read.ipAddress.substr(0, kLanTextCapacity);
  lan.subnetMask = read.subnetMask.substr(0, kLanTextCapacity);
  lan.defaultGateway = read.defaultGateway.substr(0, kLanTextCapacity);
  lan.tcpPort = read.tcpPort.value_or(0);
  lan.dhcp = read.dhcp.value_or(kDhcpUnknown);
  engine.LogLine("IP Address: %s", lan.ipAddress.c_str());
  engine.LogLine("Subnet Mask: %s", lan.subnetMask.c_str());
  engine.LogLine("Default Gateway: %s", lan.defaultGateway.c_str());
  engine.LogLine("Port: %d", static_cast<int>(lan.tcpPort));

  if (asked) engine.NotifyResult(Notification::LanInfoResult, OperationResult::Done);
  engine.ClearPendingFlag(LanInfoPending);
}

}  // namespace

bool OperationEngine::GetSystemInfo() {
  const bool repeat = HasPending(SystemInfoPending);
  if (!BeginRequest(repeat)) return false;
  info_.system = {};
  info_.lan = {};
  return SendIdleRequest(*this, kSystemInfoStart, SystemInfoRequest(), repeat);
}

bool OperationEngine::CheckSystemInfo() {
  const bool repeat = HasPending(SystemInfoCheckPending);
  if (!BeginRequest(repeat)) return false;
  info_.system.ClearVersions();
  return SendIdleRequest(*this, kSystemInfoCheckStart, SystemInfoRequest(), repeat);
}

bool OperationEngine::GetLanInfo() {
  const bool repeat = HasPending(LanInfoPending);
  if (!BeginRequest(repeat)) return false;
  DeviceMessage request = CreateMessage(MessageType::Request);
  AddElement(request, ie::LanInfo, {});
  return SendIdleRequest(*this, kLanInfoStart, request, repeat);
}

void RegisterDeviceInfoRequests(OperationRegistry& registry) {
  IdleRequests& idle = registry.Idle();
  idle.AddRequest(SystemInfoPending, {.result = Notification::SystemInfoResult,
                                      .repeat = [](EngineOperations& e) { e.front().GetSystemInfo(); }});
  idle.AddRequest(SystemInfoCheckPending, {.result = Notification::SystemInfoResult,
                                           .repeat = [](EngineOperations& e) { e.front().CheckSystemInfo(); }});
  idle.AddRequest(LanInfoPending, {.result = Notification::LanInfoResult,
                                   .repeat = [](EngineOperations& e) { e.front().GetLanInfo(); },
                                   .repeatsRefusal = RepeatsLanInfoRefusal,
                                   .timeoutRepeats = kLanInfoTimeoutRepeats});
  idle.AddReply(ie::FirmwareVersion, OnFirmwareVersion);
  idle.AddReply(ie::LanInfo, OnLanInfo);
}

}  // namespace tusko
