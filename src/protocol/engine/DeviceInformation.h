#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "protocol/ElementLayouts.h"
#include "protocol/engine/DeviceClock.h"

namespace tusko {

// Capacities of the texts the gateway tells about itself, in characters.
inline constexpr std::size_t kVersionTextCapacity = 63;
inline constexpr std::size_t kDeviceNameCapacity = 67;
inline constexpr std::size_t kLanTextCapacity = 31;
inline constexpr std::size_t kModuleTypeCapacity = 63;
inline constexpr std::size_t kModuleIdCapacity = 31;  // IMEI and IMSI
inline constexpr std::size_t kModuleNetworkCapacity = 63;

inline constexpr std::uint8_t kDhcpUnknown = 0xFF;

enum class RunMode : std::uint8_t {
  Unknown = 0,
  Loader = kRunModeLoader,
  Firmware = kRunModeFirmware,
};

// Which program runs and what it calls itself.
struct SystemInformation {
  std::string loaderVersion;
  std::string firmwareVersion;
  std::string deviceName;
  RunMode runMode = RunMode::Unknown;
  std::uint32_t dataVersion = 0;

  // Forgets who answered last: versions and name.
  void ClearVersions() {
    loaderVersion.clear();
    firmwareVersion.clear();
    deviceName.clear();
  }
};

struct LanInformation {
  std::string ipAddress;  // "%d.%d.%d.%d", empty when unknown
  std::string subnetMask;
  std::string defaultGateway;
  std::uint16_t tcpPort = 0;
  std::uint8_t dhcp = kDhcpUnknown;  // kDhcpOff, kDhcpOn or kDhcpUnknown
};

// A module argument that means "the module asked last".
inline constexpr int kLastModule = -1;

struct ModuleInformation {
  std::string type;
  std::string imei;
  std::string imsi;
  std::string network;
  CellTable cells{};
  int index = 0;  // the module asked last
};

// What the engine has learnt about the gateway from replies and restart
// events; the windows read it.
struct DeviceInformation {
  SystemInformation system;
  LanInformation lan;
  ModuleInformation module;
  DeviceClock clock;
};

}  // namespace tusko
