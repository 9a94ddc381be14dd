#include "link/SerialPortList.h"

#include <gtest/gtest.h>

namespace tusko {
namespace {

TEST(SerialPortList, PutsTheGatewayFirstThenNamesInNaturalOrder) {
  std::vector<SerialPortEntry> ports = {
      {"/dev/ttyS10", "", false},        {"/dev/ttyUSB0", "FTDI", false}, {"/dev/ttyS2", "", false},
      {"/dev/ttyACM1", "Gateway", true}, {"/dev/ttyACM0", "Modem", false}, {"/dev/ttyS02", "", false},
      {"/dev/ttyACM0x", "", false},
  };
  OrderSerialPorts(ports);
  std::vector<std::string> nodes;
  for (const SerialPortEntry& port : ports) nodes.push_back(port.deviceNode);
  EXPECT_EQ(nodes, (std::vector<std::string>{"/dev/ttyACM1", "/dev/ttyACM0", "/dev/ttyACM0x", "/dev/ttyS2",
                                             "/dev/ttyS02", "/dev/ttyS10", "/dev/ttyUSB0"}));
}

}  // namespace
}  // namespace tusko
