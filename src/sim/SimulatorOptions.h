#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/GatewayCdrStore.h"
#include "sim/GatewayFaults.h"
#include "sim/GatewayMonitoring.h"
#include "sim/WireSession.h"

namespace tusko::sim {

inline constexpr std::uint16_t kDefaultSimulatorPort = 1002;

struct SimulatorOptions {
  bool showHelp = false;
  bool useTcp = true;
  bool usePty = false;
  std::string address = "127.0.0.1";
  std::uint16_t port = kDefaultSimulatorPort;
  unsigned baud = 0;  // 0: no pacing
  bool quiet = false;
  std::string password;
  bool noFirmware = false;
  bool writeViaLoader = false;  // the firmware restarts into its loader for a configuration write
  std::string configFile;       // raw configuration image to start with; empty: the built-in sample
  std::string announcementDir;  // folder that receives <kind>.wav after each announcement update
  int cdrRecords = kDefaultCdrRecords;       // call detail records waiting for download
  std::uint32_t cdrStart = kDefaultCdrStart;  // position of the first of them
  unsigned monitorRate = kDefaultTraceLinesPerSecond;  // trace lines per second while monitoring runs
  std::optional<std::chrono::milliseconds> restartTime;  // every restart's; none: each kind its own
  std::optional<std::size_t> alterStored;  // byte of the image each committed write stores altered
  std::vector<Fault> faults;
  WireFaults wire;
};

struct ParsedSimulatorOptions {
  SimulatorOptions options;
  std::string error;  // empty when the command line was understood
};

ParsedSimulatorOptions ParseSimulatorOptions(const std::vector<std::string>& args);
const char* SimulatorUsage();

}  // namespace tusko::sim
