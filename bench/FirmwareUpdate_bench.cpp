// A full firmware update, a file that fills the flash window (0x68000 bytes),
// through the operation engine, its host and the real link, against the
// simulator on a pseudo-terminal paced in both directions like a serial line
// at 115200 baud. The update has two kinds of time, reported apart:
//
//   block phase  from the first block sent to the loader's answer to the
//                stop: the time (manual time) and x_wire, its ratio to the
//                wire time of every request and answer byte in it at 11 bits
//                per byte. Each block waits for its acknowledgement, so that
//                is the floor on a real line and x_wire stays above 1; the
//                turnaround of both sides and the loader's sector erases
//                come on top.
//   restart_s    seconds of the two restarts: from the start request until
//                the first block goes out (the firmware restarts into its
//                loader, the link comes back, the start is repeated), and
//                from the stop's answer until the new firmware runs. The line
//                does not set them: the port opens again only after the
//                gateway's start event has gone out, so the engine moves on
//                when each of its switch time-outs ends (5 s and 10 s by
//                default), past the gateway's own restart times.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "PacedSerialRun.h"
#include "WireLog.h"
#include "protocol/InformationElements.h"
#include "protocol/FirmwareFile.h"
#include "protocol/TransferConstants.h"
#include "protocol/engine/OperationEngine.h"

namespace {

using namespace tusko;
using namespace std::chrono_literals;
using bench::Carrying;
using bench::PacedSerialRun;
using bench::WireLog;

constexpr std::uint32_t kFirmwareBytes = kFirmwareFlashWindow.length;
constexpr auto kUpdateLimit = 600s;  // only ends a run that has gone wrong
constexpr int kRuns = 3;

// One application section that fills the flash window.
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
  for (auto _ : state) {
    PacedSerialRun run;
    std::string error;
    const std::string& path = run.WriteTempFile(image);
    FirmwareFile& file = run.engine.firmwareFile();
    if (!run.Open(error) || path.empty() || !file.OpenFile(path) || file.Parse() != FirmwareParseResult::Ok) {
      state.SkipWithError(("the link or the file did not open " + error).c_str());
      break;
    }
    const auto start = WireLog::Clock::now();
    if (!run.engine.StartFirmwareUpdate()) {
      state.SkipWithError("the update did not start");
      break;
    }
    const bool back = run.loop.RunUntil(
        [&] {
          return run.FirstNotified(Notification::FirmwareRunning) || run.FirstNotified(Notification::RestartFailed) ||
                 run.engine.state() == EngineState::Failed;
        },
        kUpdateLimit);
    const auto end = WireLog::Clock::now();
    const auto blocks = run.wire.Between(Carrying(ie::FlashData, false), Carrying(ie::FlashStop, true));
    const auto firstBlock = run.wire.FirstAt(Carrying(ie::FlashData, false));
    const auto stopped = run.wire.FirstAt(Carrying(ie::FlashStop, true));
    if (!back || run.FirstNotified(Notification::FirmwareResult) != static_cast<int>(OperationResult::Done) ||
        !run.FirstNotified(Notification::FirmwareRunning) || !blocks || !firstBlock || !stopped) {
      state.SkipWithError("the update did not end with the new firmware running");
      break;
    }
    const std::chrono::duration<double> restarts = (*firstBlock - start) + (end - *stopped);
    state.SetIterationTime(blocks->time.count());
    state.counters["x_wire"] = blocks->time.count() / bench::LineSeconds(blocks->bytes);
    state.counters["restart_s"] = restarts.count();
    state.counters["block_bytes"] = static_cast<double>(blocks->bytes);
  }
}

// One run takes over a minute: the line sets the pace.
BENCHMARK(BM_FirmwareUpdate)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kSecond);

}  // namespace
