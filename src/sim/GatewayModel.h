#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "protocol/DeviceMessage.h"
#include "sim/GatewayFaults.h"
#include "sim/GatewayIdentity.h"
#include "sim/GatewayState.h"
#include "sim/GatewayTiming.h"

namespace tusko::sim {

// The gateway, firmware and loader, as the utility meets it on the wire. Pure
// and deterministic: it changes only by the messages it receives and the
// virtual time it is given; putting it on a socket or a pseudo-terminal is the
// front end's job.
//
// Events (LoaderStarted, FirmwareStarted, PowerDown) are returned at the moment
// they happen. As on the real box nothing is kept for later: when the host's
// link to the utility is not up at that moment, the event is lost.
class GatewayModel {
 public:
  explicit GatewayModel(GatewayIdentity identity = {});

  // One message from the utility; returns what the gateway sends back, in order.
  // A garbled message (unknown type, wrong checksum) is dropped unanswered, and
  // nothing arrives while the link end is gone. Acknowledgements (RestartAck)
  // are taken silently. The answer to Reset or SwitchToFirmware is still sent;
  // the link end goes right after it.
  std::vector<DeviceMessage> Receive(const DeviceMessage& message);
  // Virtual time passes; returns the events and the monitoring output the
  // gateway sends in that time.
  std::vector<DeviceMessage> Advance(std::chrono::milliseconds elapsed);

  // False while the gateway is restarting or off: its link end is gone.
  bool LinkAvailable() const;
  GatewayPhase Phase() const { return state_.phase; }

  // Arms a named failure mode; it is used up as it hits requests.
  void InjectFault(const Fault& fault) { faults_.Add(fault); }
  // The running program starts again, as after a watchdog reset: the link end
  // goes away and comes back with its start event. Nothing while restarting or off.
  void Restart();
  // Returns the PowerDown event (none when the link end is already gone) and goes Off.
  std::vector<DeviceMessage> PowerDown();

  const GatewayIdentity& Identity() const { return state_.identity; }
  GatewayIdentity& Identity() { return state_.identity; }
  const GatewayClock& Clock() const { return state_.clock; }
  // The configuration memory: the stored image, which a front end may replace.
  const GatewayConfigStore& Configuration() const { return state_.config; }
  GatewayConfigStore& Configuration() { return state_.config; }
  // The call detail records not yet downloaded.
  const GatewayCdrStore& CdrStore() const { return state_.cdr; }
  GatewayCdrStore& CdrStore() { return state_.cdr; }
  // The announcement memory: the stored announcements and how it answers.
  const GatewayAnnouncements& Announcements() const { return state_.announcements; }
  GatewayAnnouncements& Announcements() { return state_.announcements; }
  // The monitoring output: its rate and the categories the utility selected.
  const MonitorTrace& Monitor() const { return state_.trace; }
  MonitorTrace& Monitor() { return state_.trace; }
  // The firmware flash as the loader wrote it.
  const GatewayFlashLoader& FlashLoader() const { return state_.flash; }

  // Requests received, by main element (the first element of the request).
  int RequestCount(std::uint8_t requestIe) const { return requestCounts_[requestIe]; }
  // Restarts completed: the loader or the firmware came up.
  int RestartCount() const { return state_.restartsDone; }

 private:
  DeviceMessage Answer(std::uint8_t requestIe, const DeviceMessage& request);
  // Answers held back while the gateway is busy (a flash sector erase).
  struct HeldAnswer {
    std::chrono::milliseconds remaining;
    DeviceMessage message;
  };
  std::vector<DeviceMessage> ReleaseHeldAnswers(std::chrono::milliseconds elapsed);

  GatewayState state_;
  FaultQueue faults_;
  std::vector<HeldAnswer> held_;
  std::array<int, 256> requestCounts_{};
};

}  // namespace tusko::sim
