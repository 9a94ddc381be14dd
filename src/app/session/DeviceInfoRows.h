#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/TextLookup.h"
#include "protocol/engine/DeviceInformation.h"

namespace tusko {

// One labelled value of a device report; an empty value is shown as "strSysInfoNA".
using InfoRow = std::pair<std::string, std::string>;

// The system information report: versions, name and data version.
std::vector<InfoRow> SystemRows(const SystemInformation& system, const TextLookup& text);
// The LAN report: DHCP, addresses and the TCP port.
std::vector<InfoRow> LanRows(const LanInformation& lan, const TextLookup& text);
// The language key of a GSM module's name; `module` counts from 0.
inline const char* ModuleNameKey(int module) { return module == 0 ? "strGsmModule1" : "strGsmModule2"; }
// A GSM module's type, IMEI, IMSI and network.
std::vector<InfoRow> ModuleRows(const ModuleInformation& module, const TextLookup& text);

}  // namespace tusko
