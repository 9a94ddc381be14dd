#include "monitor/MonitorMarkers.h"

#include <ctime>
#include <string_view>

#include "Version.h"
#include "base/SafeFormat.h"

namespace tusko {

namespace {

// Long enough for the started marker with two 63-character version texts.
constexpr std::size_t kMaxMarkerLength = 512;
constexpr int kCenturyYears = 100;
constexpr int kTmBaseYear = 1900;

std::string_view FormatOf(MonitorMarker marker) {
  switch (marker) {
    case MonitorMarker::Started:
      return "\r\n*** %02d/%02d/%02d %02d:%02d:%02d SYSTEM MONITORING STARTED ***\r\n"
             "*** Loader version: %s ***\r\n*** Firmware version: %s ***\r\n"
             "*** Data version: %#08x ***\r\n*** Config. SW version: %s ***";
    case MonitorMarker::Stopped:
      return "\r\n*** %02d/%02d/%02d %02d:%02d:%02d SYSTEM MONITORING STOPPED ***";
    case MonitorMarker::CommunicationLost:
      return "\r\n*** %02d/%02d/%02d %02d:%02d:%02d COMMUNICATION LOST ***";
    case MonitorMarker::CommunicationRecovery:
      return "*** %02d/%02d/%02d %02d:%02d:%02d COMMUNICATION RECOVERY ***";
    case MonitorMarker::Paused:
      return "\r\n*** %02d/%02d/%02d %02d:%02d:%02d SYSTEM MONITORING TEMPORARY STOPPED ***";
    case MonitorMarker::Resumed:
      return "\r\n*** %02d/%02d/%02d %02d:%02d:%02d SYSTEM MONITORING RESUMED ***";
  }
  return {};
}

}  // namespace

MarkerTime LocalMarkerTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_mday, local.tm_mon + 1, local.tm_year + kTmBaseYear, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string MarkerText(MonitorMarker marker, const MarkerTime& time, const SystemInformation& gateway) {
  const int shortYear = ((time.year % kCenturyYears) + kCenturyYears) % kCenturyYears;
  return SafeFormat(FormatOf(marker),
                    {time.day, time.month, shortYear, time.hour, time.minute, time.second, gateway.loaderVersion,
                     gateway.firmwareVersion, gateway.dataVersion, kProgramVersion},
                    kMaxMarkerLength);
}

bool MarkerGoesToFile(MonitorMarker marker) {
  return marker != MonitorMarker::Paused && marker != MonitorMarker::Resumed;
}

}  // namespace tusko
