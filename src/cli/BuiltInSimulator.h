#pragma once

#include <cstdint>
#include <string>

#include "base/EventLoop.h"
#include "sim/GatewayModel.h"
#include "sim/SimulatorServer.h"

namespace tusko::cli {

// The gateway simulator inside tuskoctl, on the tool's own event loop, for a
// run without a gateway: it answers on a free loopback port.
class BuiltInSimulator {
 public:
  static constexpr const char* kAddress = "127.0.0.1";

  explicit BuiltInSimulator(EventLoop& loop);
  // False with `error` set when no port could be opened.
  bool Start(std::string& error) { return server_.ListenTcp(kAddress, 0, error); }
  std::uint16_t Port() const { return server_.Port(); }

 private:
  sim::GatewayModel model_;
  sim::SimulatorServer server_;
};

}  // namespace tusko::cli
