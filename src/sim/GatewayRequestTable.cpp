#include "sim/GatewayRequestTable.h"

#include <algorithm>
#include <array>

#include "sim/GatewayAnnouncementRequests.h"
#include "sim/GatewayCdrRequests.h"
#include "sim/GatewayConfigRequests.h"
#include "sim/GatewayDiagnosticsRequests.h"
#include "sim/GatewayFlashRequests.h"
#include "sim/GatewayInfoRequests.h"
#include "sim/GatewayMaintenance.h"
#include "sim/GatewayMonitoring.h"
#include "sim/GatewayRestarts.h"

namespace tusko::sim {

namespace {

constexpr std::array kRoutes{
    RequestRoute{ie::LoaderVersion, RunsIn::Both, HandleSystemInfo},
    RequestRoute{ie::NewPassword, RunsIn::Firmware, HandleNewPassword},
    RequestRoute{ie::MonitorStart, RunsIn::Firmware, HandleMonitorStart},
    RequestRoute{ie::MonitorStop, RunsIn::Firmware, HandleMonitorStop},
    RequestRoute{ie::MonitorCommand, RunsIn::Firmware, HandleMonitorCommand},
    RequestRoute{ie::MonitorPoll, RunsIn::Firmware, HandleMonitorPoll},
    RequestRoute{ie::SwitchToFirmware, RunsIn::Loader, HandleSwitchToFirmware},
    RequestRoute{ie::DateTime, RunsIn::Firmware, HandleDateTime},
    RequestRoute{ie::LanInfo, RunsIn::Firmware, HandleLanInfo},
    RequestRoute{ie::ModuleType, RunsIn::Firmware, HandleModuleType},
    RequestRoute{ie::ModuleCells, RunsIn::Firmware, HandleModuleCells},
    RequestRoute{ie::Reset, RunsIn::Both, HandleReset},
    RequestRoute{ie::ModuleReset, RunsIn::Firmware, HandleModuleReset},
    RequestRoute{ie::IsdnStatus, RunsIn::Firmware, HandleIsdnStatus},
    RequestRoute{ie::IsdnCredit, RunsIn::Firmware, HandleIsdnCredit},
    RequestRoute{ie::GsmStatus, RunsIn::Firmware, HandleGsmStatus},
    RequestRoute{ie::GsmCredit, RunsIn::Firmware, HandleGsmCredit},
    RequestRoute{ie::ConfigReadData, RunsIn::Firmware, HandleConfigReadData},
    RequestRoute{ie::ConfigWriteStart, RunsIn::Both, HandleConfigWriteStart},
    RequestRoute{ie::ConfigWriteData, RunsIn::Both, HandleConfigWriteData},
    RequestRoute{ie::ConfigWriteStop, RunsIn::Both, HandleConfigWriteStop},
    RequestRoute{ie::CdrData, RunsIn::Firmware, HandleCdrData},
    RequestRoute{ie::FlashStart, RunsIn::Both, HandleFlashStart},
    RequestRoute{ie::FlashData, RunsIn::Loader, HandleFlashData},
    RequestRoute{ie::FlashStop, RunsIn::Loader, HandleFlashStop},
    RequestRoute{ie::FlashCancel, RunsIn::Both, HandleFlashCancel},
    RequestRoute{ie::AnnouncementStart, RunsIn::Firmware, HandleAnnouncementStart},
    RequestRoute{ie::AnnouncementData, RunsIn::Firmware, HandleAnnouncementData},
    RequestRoute{ie::AnnouncementStop, RunsIn::Firmware, HandleAnnouncementStop},
};

constexpr std::array<std::uint8_t, 11> kPasswordProtected{
    ie::FlashStart,      ie::NewPassword,    ie::MonitorCommand, ie::ConfigWriteStart,
    ie::ConfigWriteData, ie::ConfigReadData, ie::AnnouncementStart, ie::CdrData,
    ie::DateTime,        ie::Reset,          ie::ModuleReset,
};

}  // namespace

const RequestRoute* FindRoute(std::uint8_t requestIe) {
  const auto route =
      std::find_if(kRoutes.begin(), kRoutes.end(), [requestIe](const RequestRoute& r) { return r.ie == requestIe; });
  return route == kRoutes.end() ? nullptr : &*route;
}

bool RunsInPhase(const RequestRoute& route, GatewayPhase phase) {
  switch (route.runsIn) {
    case RunsIn::Firmware:
      return phase == GatewayPhase::Firmware;
    case RunsIn::Loader:
      return phase == GatewayPhase::Loader;
    case RunsIn::Both:
      return phase == GatewayPhase::Firmware || phase == GatewayPhase::Loader;
  }
  return false;
}

bool NeedsPassword(std::uint8_t requestIe) {
  return std::find(kPasswordProtected.begin(), kPasswordProtected.end(), requestIe) != kPasswordProtected.end();
}

}  // namespace tusko::sim
