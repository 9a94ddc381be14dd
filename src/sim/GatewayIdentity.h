#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/DeviceMessage.h"
#include "sim/GatewayTiming.h"

namespace tusko::sim {

using Ipv4Address = std::array<std::uint8_t, 4>;

inline constexpr std::size_t kModuleCount = 2;
inline constexpr std::size_t kMaxPasswordLength = 8;

// What the gateway tells about one of its GSM modules.
struct GsmModuleIdentity {
  std::string type;
  std::string imei;
  std::string imsi;
  std::string network;
  // The ModuleCells text: nine comma-separated fields per cell (MCC, MNC, LAC,
  // cell id, ARFCN, level, BSIC, C1, C2), cells one after another.
  std::string cells;
};

// Everything that makes one gateway this gateway: versions, name, password,
// LAN settings and modules.
struct GatewayIdentity {
  std::string loaderVersion = "1.0.3";
  std::string firmwareVersion = "1.2.5";
  std::string deviceName = "Sentarix";
  std::uint32_t dataVersion = 0x00010200;
  std::string password;  // empty: no password needed
  bool hasValidFirmware = true;
  // The firmware has its loader write the configuration: it answers
  // ConfigWriteStart with Reset and restarts into the loader.
  bool restartForWrite = false;
  // How long the link end stays away in a restart into the loader, and in one into the firmware.
  std::chrono::milliseconds restartToLoader = kRestartToLoaderMs;
  std::chrono::milliseconds restartToFirmware = kLoaderToFirmwareMs;

  bool dhcp = false;
  Ipv4Address ipAddress{192, 168, 1, 100};
  Ipv4Address subnetMask{255, 255, 255, 0};
  Ipv4Address defaultGateway{192, 168, 1, 1};
  std::uint16_t tcpPort = 1002;

  std::array<GsmModuleIdentity, kModuleCount> modules{{
      {"GSM 900/1800 Quad", "356000000000017", "001010000000017", "Test Network 1",
       "001,01,1A2B,0C31,62,-67,23,22,30,001,01,1A2B,0C32,70,-79,17,10,18,001,01,1A2C,0D01,85,-88,41,3,9"},
      {"GSM 900/1800 Quad", "356000000000025", "001020000000025", "Test Network 2",
       "001,02,2B3C,1E40,12,-71,05,19,27"},
  }};
};

// The LanInfo element data: DHCP flag, IP address, subnet mask (4 x 3 ASCII
// digits each), TCP port (5 ASCII digits), default gateway (4 x 3 digits).
inline constexpr std::size_t kLanInfoSize = 42;
std::array<std::uint8_t, kLanInfoSize> EncodeLanInfo(const GatewayIdentity& identity);

// Adds LoaderVersion, FirmwareVersion, RunMode and DeviceName as the running
// program reports them. The loader names the firmware it holds only when that
// firmware is valid, so that a missing FirmwareVersion means "nothing to start".
void AddSystemInfo(DeviceMessage& message, const GatewayIdentity& identity, bool firmwareRuns);

// True when the identity needs no password or the request's Password element
// (text up to its NUL) matches it.
bool AcceptsPassword(const GatewayIdentity& identity, const DeviceMessage& request);

}  // namespace tusko::sim
