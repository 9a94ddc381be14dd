#include "support/GatewayHarness.h"

#include <utility>

namespace tusko::test {

GatewayHarness::GatewayHarness(LinkType linkType, sim::GatewayIdentity identity)
    : host(clock), gateway(std::move(identity)), engine(host, settings) {
  host.Attach(engine);
  host.type = linkType;
  host.openLink = [this] {
    if (gateway.LinkAvailable()) host.link = LinkState::Open;
    return host.link == LinkState::Open;
  };
  // queryLink waits for the connection; the engine's own reopen does not.
  if (linkType == LinkType::Tcp) host.reopen = [this] { return Connect(); };
  host.onSend = [this](const DeviceMessage& message) { Transmit(message); };
  gatewayLinkWasUp_ = gateway.LinkAvailable();
  if (!gatewayLinkWasUp_) host.link = LinkState::Closed;
}

void GatewayHarness::RunFor(std::chrono::milliseconds duration) {
  RunUntil([] { return false; }, duration);
}

bool GatewayHarness::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  for (auto passed = std::chrono::milliseconds::zero(); passed < limit; passed += kStep) {
    if (done()) return true;
    clock.Advance(kStep);
    const auto events = gateway.Advance(kStep);
    FollowGatewayLink();
    for (const DeviceMessage& event : events) Deliver(event);
  }
  return done();
}

bool GatewayHarness::Connect() {
  if (host.link != LinkState::Closed) return host.link == LinkState::Open;
  host.link = LinkState::Connecting;
  clock.Schedule(kConnectLatency, [this] {
    if (host.link == LinkState::Connecting) host.link = gateway.LinkAvailable() ? LinkState::Open : LinkState::Closed;
  });
  return false;
}

void GatewayHarness::Transmit(const DeviceMessage& message) {
  for (DeviceMessage& answer : gateway.Receive(message)) {
    ++answersInFlight_;
    clock.Schedule(kReplyLatency, [this, answer = std::move(answer)] {
      --answersInFlight_;
      Deliver(answer);
    });
  }
}

void GatewayHarness::Deliver(const DeviceMessage& message) {
  if (host.link == LinkState::Open) engine.OnMessage(message, message.wireSize());
}

void GatewayHarness::FollowGatewayLink() {
  const bool up = gateway.LinkAvailable();
  if (up && !gatewayLinkWasUp_ && host.type == LinkType::Serial) host.link = LinkState::Open;
  if (!up && answersInFlight_ == 0) host.link = LinkState::Closed;
  gatewayLinkWasUp_ = up;
}

}  // namespace tusko::test
