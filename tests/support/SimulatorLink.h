#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/settings/ProgramSettings.h"
#include "link/LinkSettings.h"
#include "support/SimulatorThread.h"

namespace tusko::test {

// Names the instances of a test run over both transports.
inline std::string TransportName(const ::testing::TestParamInfo<Transport>& row) {
  return row.param == Transport::Tcp ? "tcp" : "pty";
}

// Points the link settings at a running simulator.
inline void UseSimulator(LinkSettings& settings, Transport transport, const SimulatorThread& simulator) {
  settings.type = transport == Transport::Tcp ? LinkType::Tcp : LinkType::Serial;
  if (transport == Transport::Tcp) {
    settings.tcpAddress = "127.0.0.1";
    settings.tcpPort = simulator.Port();
  } else {
    settings.portName = simulator.SlavePath();
  }
}
inline void UseSimulator(ProgramSettings& settings, Transport transport, const SimulatorThread& simulator) {
  settings.comMode = transport == Transport::Tcp ? 1 : 0;
  if (transport == Transport::Tcp) {
    settings.tcpAddress = "127.0.0.1";
    settings.tcpPort = simulator.Port();
  } else {
    settings.virtualComPort = simulator.SlavePath();
  }
}

}  // namespace tusko::test
