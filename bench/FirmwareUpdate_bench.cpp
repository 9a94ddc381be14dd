// A full firmware update through the operation engine, its host and the real
// link, against the simulator on a pseudo-terminal paced like a serial line at
// 115200 baud: the firmware restarts into its loader, the loader takes the
// file block by block and starts the new firmware. Timed from the start
// request to the result notification (the two restarts of the gateway are
// part of it). Reports:
//
//   x_wire    against the wire time of every frame byte in both directions
//             at 11 bits per byte (8N2): the floor on a real line, where each
//             block waits for its acknowledgement. The simulator paces only
//             what it sends, so on the pseudo-terminal the blocks travel
//             faster than on a line and this ratio can fall below 1.
//   x_paced   against the wire time of the simulator's own (paced) bytes
//             only: the floor on the pseudo-terminal. Turnaround, the
//             loader's sector erases and the restart into the loader come on top.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/session/LinkEngineHost.h"
#include "app/settings/ProgramSettings.h"
#include "base/EventLoop.h"
#include "link/CommLogSink.h"
#include "link/FrameEncoder.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayTiming.h"
#include "sim/LinePacer.h"
#include "support/SimulatorThread.h"
#include "support/WireTally.h"

namespace {

using namespace tusko;
using namespace std::chrono_literals;
using test::SimulatorThread;
using test::Transport;

constexpr unsigned kLineBaud = 115200;
constexpr std::uint32_t kFirmwareBytes = 100 * 1024;
constexpr auto kUpdateLimit = 300s;  // only ends a run that has gone wrong
constexpr std::chrono::milliseconds kDeviceArrivalMs{200};  // after the restart, until the port is there

// One application section of kFirmwareBytes at the start of the flash window.
std::vector<std::uint8_t> FirmwareImage() {
  std::vector<std::uint8_t> file(kFirmwareHeaderBytes + kFirmwareBytes);
  std::copy_n(kFirmwareSectionMagic, 3, file.begin());
  file[3] = kSectionTypeApplication;
  for (int i = 0; i < 4; ++i) {
    file[4 + i] = static_cast<std::uint8_t>(kFirmwareFlashWindow.start >> (8 * i));
    file[8 + i] = static_cast<std::uint8_t>(kFirmwareBytes >> (8 * i));
  }
  for (std::size_t i = kFirmwareHeaderBytes; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 13);
  return file;
}


void BM_FirmwareUpdate(benchmark::State& state) {
  const std::vector<std::uint8_t> image = FirmwareImage();
  char path[] = "/tmp/tusko-firmware-bench-XXXXXX";
  const int fd = ::mkstemp(path);
  if (fd < 0 || ::write(fd, image.data(), image.size()) != static_cast<ssize_t>(image.size())) {
    state.SkipWithError("cannot write the firmware file");
    return;
  }
  ::close(fd);

  for (auto _ : state) {
    EventLoop loop;
    SimulatorThread simulator(Transport::Pty, {}, kLineBaud);
    if (!simulator.Ready()) {
      state.SkipWithError(("simulator: " + simulator.Error()).c_str());
      break;
    }
    ProgramSettings settings;
    settings.comMode = static_cast<std::uint32_t>(LinkType::Serial);
    settings.virtualComPort = simulator.SlavePath();
    settings.baudrate = kLineBaud;
    std::optional<int> result;
    test::WireTally tally;
    LinkEngineHost host(loop, settings,
                        LinkEngineHostHooks{
                            .text = [](std::string_view key) { return std::string(key); },
                            .notified =
                                [&](Notification code, int value) {
                                  if (code == Notification::FirmwareResult && !result) result = value;
                                },
                            .password = [] { return std::optional<std::string>(); },
                            .message = [](const std::string&, const std::string&) {},
                        });
    host.AttachLog(&tally);
    OperationEngine engine(host, host.engineSettings());
    host.Attach(engine);
    FirmwareFile& file = engine.firmwareFile();
    if (!host.EnsureLinkOpen(true) || !file.OpenFile(path) || file.Parse() != FirmwareParseResult::Ok) {
      state.SkipWithError("the link or the file did not open");
      break;
    }
    const auto start = EventLoop::Clock::now();
    if (!engine.StartFirmwareUpdate()) {
      state.SkipWithError("the update did not start");
      break;
    }
    // A pseudo-terminal has no USB device to come back: once the gateway's
    // restart into its loader is over, the link is reopened as the device
    // watch would on its arrival.
    loop.RunUntil([&] { return result.has_value() || engine.state() == EngineState::FlashWaitLoader; }, kUpdateLimit);
    loop.RunUntil([] { return false; }, sim::kRestartToLoaderMs + kDeviceArrivalMs);
    host.reopenLink();
    loop.RunUntil([&] { return result.has_value(); }, kUpdateLimit);
    const std::chrono::duration<double> elapsed = EventLoop::Clock::now() - start;
    if (result != static_cast<int>(OperationResult::Done)) {
      state.SkipWithError("the update did not end with result 1");
      break;
    }
    state.SetIterationTime(elapsed.count());
    const auto lineSeconds = [](std::size_t bytes) {
      return static_cast<double>(bytes) * sim::kBitsPerSerialByte / kLineBaud;
    };
    state.counters["bytes_out"] = static_cast<double>(tally.BytesOut());
    state.counters["bytes_in"] = static_cast<double>(tally.BytesIn());
    state.counters["x_wire"] = elapsed.count() / lineSeconds(tally.BytesOut() + tally.BytesIn());
    state.counters["x_paced"] = elapsed.count() / lineSeconds(tally.BytesIn());
  }
  ::unlink(path);
}

// One run takes tens of seconds: the line sets the pace.
BENCHMARK(BM_FirmwareUpdate)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
