#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "WireLog.h"
#include "app/session/LinkEngineHost.h"
#include "app/settings/ProgramSettings.h"
#include "base/EventLoop.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/LinePacer.h"
#include "support/SimulatorThread.h"

namespace tusko::bench {

inline constexpr unsigned kLineBaud = 115200;

// The wire time of `bytes` on the line, at 11 bits per byte: the floor of a
// stop-and-wait exchange, where each message waits for the one before it.
inline double LineSeconds(std::size_t bytes) {
  return static_cast<double>(bytes) * sim::kBitsPerSerialByte / kLineBaud;
}

// One run of an operation on a fresh gateway simulator behind a pseudo-terminal
// paced as a serial line of kLineBaud in both directions, through the
// utility's host, link and engine, with every message in `wire`. When the
// gateway's link end comes back after a restart, the link is reopened a
// device arrival later, as the desktop's USB watch does.
struct PacedSerialRun {
  // From the link end's return until the USB serial port is there.
  static constexpr std::chrono::milliseconds kDeviceArrivalMs{200};

  PacedSerialRun()
      : settings(SerialSettings(simulator.SlavePath())),
        host(loop, settings,
             LinkEngineHostHooks{
                 .text = [](std::string_view key) { return std::string(key); },
                 .notified = [this](Notification code, int value) { notified.try_emplace(code, value); },
                 .password = [] { return std::optional<std::string>(); },
                 .message = [](const std::string&, const std::string&) {},
             }),
        engine(host, host.engineSettings()) {
    host.AttachLog(&wire);
    host.Attach(engine);
  }
  ~PacedSerialRun() {
    if (!filePath.empty()) ::unlink(filePath.c_str());
  }
  PacedSerialRun(const PacedSerialRun&) = delete;
  PacedSerialRun& operator=(const PacedSerialRun&) = delete;

  // The simulator and the link are up and reopen after restarts; `error` says why not.
  bool Open(std::string& error) {
    if (!simulator.Ready()) {
      error = "simulator: " + simulator.Error();
      return false;
    }
    simulator.WatchLinkReturns([this] {
      loop.Post([this] {
        loop.StartTimer(kDeviceArrivalMs, [this] {
          if (host.linkState() == LinkState::Closed) host.reopenLink();
        });
      });
    });
    if (!host.EnsureLinkOpen(true)) {
      error = "the link did not open";
      return false;
    }
    return true;
  }

  // A file of its own below /tmp holding `bytes` (removed with the run); empty on failure.
  const std::string& WriteTempFile(std::span<const std::uint8_t> bytes) {
    std::string path = "/tmp/tusko-bench-XXXXXX";
    const int fd = ::mkstemp(path.data());
    if (fd < 0) return filePath;
    filePath = path;
    const bool written = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    ::close(fd);
    if (!written) filePath.clear();
    return filePath;
  }

  std::optional<int> FirstNotified(Notification code) const {
    const auto found = notified.find(code);
    return found == notified.end() ? std::nullopt : std::optional<int>(found->second);
  }

  static ProgramSettings SerialSettings(const std::string& port) {
    ProgramSettings serial;  // the default time-outs: those a user runs with
    serial.comMode = static_cast<std::uint32_t>(LinkType::Serial);
    serial.virtualComPort = port;
    serial.baudrate = kLineBaud;
    return serial;
  }

  // Declared in the order they must come up: the simulator's watch posts to the
  // loop until the simulator's thread ends, and the host logs into `wire`.
  EventLoop loop;
  test::SimulatorThread simulator{test::Transport::Pty, {}, kLineBaud};
  ProgramSettings settings;
  WireLog wire;
  std::map<Notification, int> notified;  // the first value of each notification
  LinkEngineHost host;
  OperationEngine engine;
  std::string filePath;
};

}  // namespace tusko::bench
