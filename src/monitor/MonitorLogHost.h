#pragma once

#include <chrono>
#include <string_view>

#include "monitor/MonitorMarkers.h"
#include "protocol/engine/DeviceInformation.h"

namespace tusko {

// What the monitor log asks of the operation engine and the link.
class MonitorRequests {
 public:
  virtual ~MonitorRequests() = default;
  // The engine's starters: true when the request went out.
  virtual bool StartMonitoring() = 0;
  virtual bool StopMonitoring() = 0;
  virtual bool SendMonitorCommand(std::string_view command) = 0;
  virtual bool PollMonitoring() = 0;
  virtual bool LinkOpen() const = 0;
  // The versions the gateway reported last, for the started marker.
  virtual SystemInformation GatewayVersions() const = 0;
};

// The monitor page's two timers.
enum class MonitorTimer {
  KeepAlive,  // polls the gateway while monitoring runs
  Answer,     // how long a poll may go unanswered
};

// What the monitor log needs from the window it sits in.
class MonitorLogHost {
 public:
  virtual ~MonitorLogHost() = default;
  // One-shot timers: arming a running one starts it again. When one falls
  // due the host calls MonitorLog::OnTimer with it.
  virtual void ArmTimer(MonitorTimer timer, std::chrono::milliseconds delay) = 0;
  virtual void StopTimer(MonitorTimer timer) = 0;
  virtual MarkerTime LocalTime() const = 0;
  // The user's Stop has ended monitoring: ask "strMonitorSaveLogRequest" under
  // "strMonitor" and on Yes run the log Save As. This comes from inside the
  // engine's reply handling, so a host that shows a modal box posts it first.
  virtual void AskToSaveLog() = 0;
};

}  // namespace tusko
