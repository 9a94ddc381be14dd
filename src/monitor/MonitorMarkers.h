#pragma once

#include <string>

#include "link/LogColour.h"
#include "protocol/engine/DeviceInformation.h"

namespace tusko {

// The local wall-clock time a marker line is stamped with.
struct MarkerTime {
  int day = 1;
  int month = 1;
  int year = 2000;  // full year; the marker shows its last two digits
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The time now, in the local time zone.
MarkerTime LocalMarkerTime();

// The timestamped lines the monitor log writes between the gateway's output.
enum class MonitorMarker {
  Started,
  Stopped,
  CommunicationLost,
  CommunicationRecovery,
  Paused,
  Resumed,
};

// Markers are drawn in red.
inline constexpr LogColour kMarkerColour = LogColour::Link;

// The marker's text; the started marker names the gateway's versions and the program's own.
std::string MarkerText(MonitorMarker marker, const MarkerTime& time, const SystemInformation& gateway);

// A pause lasts only as long as an upload or a restart: it is shown, but a
// saved log does not carry it.
bool MarkerGoesToFile(MonitorMarker marker);

}  // namespace tusko
