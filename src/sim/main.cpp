// tusko-gatewaysim: the gateway model served over TCP or a pseudo-terminal.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "base/EventLoop.h"
#include "sim/GatewayModel.h"
#include "sim/RawImageFile.h"
#include "sim/SimulatorOptions.h"
#include "sim/SimulatorServer.h"

namespace {

tusko::EventLoop* gLoop = nullptr;

void OnSignal(int) {
  if (gLoop != nullptr) gLoop->Quit(0);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tusko::sim;
  const auto parsed = ParseSimulatorOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::cerr << "tusko-gatewaysim: " << parsed.error << "\n\n" << SimulatorUsage();
    return 2;
  }
  const auto& options = parsed.options;
  if (options.showHelp) {
    std::cout << SimulatorUsage();
    return 0;
  }

  GatewayIdentity identity;
  identity.password = options.password;
  identity.hasValidFirmware = !options.noFirmware;
  identity.restartForWrite = options.writeViaLoader;
  if (options.restartTime) identity.restartToLoader = identity.restartToFirmware = *options.restartTime;
  GatewayModel model(identity);
  if (!options.configFile.empty()) {
    std::string error;
    const auto image = ReadRawImageFile(options.configFile, error);
    if (!image) {
      std::cerr << "tusko-gatewaysim: " << error << "\n";
      return 2;
    }
    model.Configuration().Replace(*image);
  }
  if (options.alterStored) model.Configuration().AlterOnCommit(*options.alterStored);
  model.Announcements().SetOutputFolder(options.announcementDir);
  model.CdrStore().Fill(options.cdrRecords, options.cdrStart);
  for (const auto& fault : options.faults) model.InjectFault(fault);
  model.Monitor().SetRate(options.monitorRate);

  tusko::EventLoop loop;
  gLoop = &loop;
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);

  const auto log = [&options](std::string_view line) {
    if (!options.quiet) std::cerr << "gatewaysim: " << line << std::endl;
  };
  SimulatorServer server(loop, model, options.wire, options.baud, log);
  std::string error;
  if (options.usePty) {
    if (!server.OpenPty(error)) {
      std::cerr << "tusko-gatewaysim: " << error << "\n";
      return 1;
    }
    std::cout << server.SlavePath() << std::endl;
  }
  if (options.useTcp) {
    if (!server.ListenTcp(options.address, options.port, error)) {
      std::cerr << "tusko-gatewaysim: " << error << "\n";
      return 1;
    }
    std::cout << options.address << ":" << server.Port() << std::endl;
  }
  return loop.Run();
}
