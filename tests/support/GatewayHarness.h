#pragma once

#include <chrono>
#include <functional>

#include "protocol/engine/EngineSettings.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayModel.h"
#include "support/EngineTestHost.h"
#include "support/VirtualClock.h"

namespace tusko::test {

// An engine wired to the gateway model in-process, on virtual time. What the
// engine sends reaches the gateway while the link is open and the gateway's
// end is there; answers come back kReplyLatency later. A serial link reopens
// by itself when the gateway's end reappears (the USB device arrives); a TCP
// link reopens only when the engine asks for it, and is Connecting for
// kConnectLatency first.
class GatewayHarness {
 public:
  static constexpr std::chrono::milliseconds kReplyLatency{2};
  static constexpr std::chrono::milliseconds kConnectLatency{20};
  static constexpr std::chrono::milliseconds kStep{1};

  explicit GatewayHarness(LinkType linkType = LinkType::Serial, sim::GatewayIdentity identity = {});
  GatewayHarness(const GatewayHarness&) = delete;
  GatewayHarness& operator=(const GatewayHarness&) = delete;

  // Lets `duration` pass in kStep steps: timers fire, answers arrive, the
  // gateway runs and its events reach the engine while the link is open.
  void RunFor(std::chrono::milliseconds duration);
  // Lets time pass as RunFor does until `done` holds, for at most `limit`;
  // true when it held.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

  VirtualClock clock;
  EngineSettings settings;
  EngineTestHost host;
  sim::GatewayModel gateway;
  OperationEngine engine;

 private:
  // A TCP connection: Open after kConnectLatency when the gateway listens, else Closed again.
  bool Connect();
  void Transmit(const DeviceMessage& message);
  void Deliver(const DeviceMessage& message);
  // Follows the gateway's link end: closes the link when it goes (after the
  // answers already on their way), reopens a serial link when it comes back.
  void FollowGatewayLink();

  bool gatewayLinkWasUp_ = true;
  int answersInFlight_ = 0;
};

}  // namespace tusko::test
