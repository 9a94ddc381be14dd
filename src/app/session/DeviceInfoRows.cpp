#include "app/session/DeviceInfoRows.h"

#include "base/Latin1Text.h"
#include "base/SafeFormat.h"

namespace tusko {

namespace {

constexpr std::size_t kMaxValueChars = 80;

}  // namespace

std::vector<InfoRow> SystemRows(const SystemInformation& system, const TextLookup& text) {
  // A value of 0 counts as not known, like an empty text.
  const std::string dataVersion =
      system.dataVersion == 0 ? std::string() : SafeFormat("%#08x", {system.dataVersion}, kMaxValueChars);
  // The gateway's own texts are Latin-1.
  return {{text("strSysInfoVersionFirmware"), Latin1ToUtf8(system.firmwareVersion)},
          {text("strSysInfoVersionLoader"), Latin1ToUtf8(system.loaderVersion)},
          {text("strSysInfoName"), Latin1ToUtf8(system.deviceName)},
          {text("strSysInfoVersionData"), dataVersion}};
}

std::vector<InfoRow> LanRows(const LanInformation& lan, const TextLookup& text) {
  std::string dhcp;
  if (lan.dhcp == kDhcpOn) dhcp = text("strSysInfoDhcpYes");
  if (lan.dhcp == kDhcpOff) dhcp = text("strSysInfoDhcpNo");
  return {{text("strSysInfoDhcp"), dhcp},
          {text("strSysInfoIpAddr"), lan.ipAddress},
          {text("strSysInfoNetMask"), lan.subnetMask},
          {text("strSysInfoNetGateway"), lan.defaultGateway},
          {text("strSysInfoPort"), lan.tcpPort != 0 ? std::to_string(lan.tcpPort) : std::string()}};
}

std::vector<InfoRow> ModuleRows(const ModuleInformation& module, const TextLookup& text) {
  return {{text("strModuleInfoType"), Latin1ToUtf8(module.type)},
          {text("strModuleInfoImei"), Latin1ToUtf8(module.imei)},
          {text("strModuleInfoImsi"), Latin1ToUtf8(module.imsi)},
          {text("strModuleInfoNetwork"), Latin1ToUtf8(module.network)}};
}

}  // namespace tusko
