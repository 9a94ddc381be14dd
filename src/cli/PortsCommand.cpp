#include "cli/PortsCommand.h"

#include "cli/ExitCodes.h"
#include "link/SerialPortList.h"

namespace tusko::cli {

int RunPorts(const CommandContext& c) {
  const std::vector<SerialPortEntry> ports = ListSerialPorts();
  if (ports.empty()) c.err << c.language.Text("strCliNoPorts") << "\n";
  for (const SerialPortEntry& port : ports) {
    c.out << port.deviceNode;
    if (!port.description.empty()) c.out << "  " << port.description;
    if (port.isGateway) c.out << "  " << c.language.Text("strCliGatewayPort");
    c.out << "\n";
  }
  return kExitDone;
}

}  // namespace tusko::cli
