#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/SimulatorThread.h"

namespace tusko::test {

// Names the instances of a test run over both transports.
inline std::string TransportName(const ::testing::TestParamInfo<Transport>& row) {
  return row.param == Transport::Tcp ? "tcp" : "pty";
}

}  // namespace tusko::test
