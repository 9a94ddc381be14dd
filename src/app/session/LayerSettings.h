#pragma once

#include "app/settings/ProgramSettings.h"
#include "link/LinkSettings.h"
#include "monitor/CdrFile.h"
#include "monitor/MonitorLogSettings.h"
#include "protocol/engine/EngineSettings.h"

namespace tusko {

// The program settings as each layer below takes them: the layers know only
// their own small records, never the program's.
LinkSettings LinkSettingsFrom(const ProgramSettings& settings);
EngineSettings EngineSettingsFrom(const ProgramSettings& settings);
MonitorLogSettings MonitorLogSettingsFrom(const ProgramSettings& settings);
CdrTextLayout CdrTextLayoutFrom(const ProgramSettings& settings);

// True when the settings name a link: a serial port, or a TCP address and port.
inline bool LinkSettingsComplete(const ProgramSettings& settings) {
  return LinkSettingsComplete(LinkSettingsFrom(settings));
}

}  // namespace tusko
