// A download of 1000 call detail records into a CSV file, through the
// operation engine, its host and the real link, against the simulator on a
// pseudo-terminal paced in both directions like a serial line at 115200 baud.
// Timed (manual time) from the first request to the empty chunk that ends the
// download. Reports x_wire, the time against the wire time of every request
// and chunk byte at 11 bits per byte: each request acknowledges the chunk
// before it and waits for the next, so that is the floor on a real line and
// x_wire stays above 1; the turnaround of both sides comes on top.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "PacedSerialRun.h"
#include "WireLog.h"
#include "monitor/CdrFile.h"
#include "protocol/InformationElements.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/GatewayModel.h"

namespace {

using namespace tusko;
using namespace std::chrono_literals;
using bench::Carrying;
using bench::PacedSerialRun;

constexpr int kRecords = 1000;
constexpr auto kDownloadLimit = 120s;  // only ends a run that has gone wrong
constexpr int kRuns = 3;

// The gateway's answer that it has no more records.
bool IsLastChunk(const DeviceMessage& message, bool incoming) {
  const auto data = FindElement(message, ie::CdrData);
  return incoming && data && data->data.empty();
}

void BM_CdrDownload(benchmark::State& state) {
  for (auto _ : state) {
    PacedSerialRun run;
    std::string error;
    CdrFile file;
    const std::string& path = run.WriteTempFile({});
    if (!run.Open(error) || path.empty() || !file.Open(path) || !file.Start()) {
      state.SkipWithError(("the link or the record file did not open " + error).c_str());
      break;
    }
    run.simulator.Run([](sim::GatewayModel& model) { model.CdrStore().Fill(kRecords, 0); });
    if (!run.engine.StartCdrDownload(file)) {
      state.SkipWithError("the download did not start");
      break;
    }
    run.loop.RunUntil([&] { return run.FirstNotified(Notification::CdrResult).has_value(); }, kDownloadLimit);
    const auto download = run.wire.Between(Carrying(ie::CdrData, false), IsLastChunk);
    if (run.FirstNotified(Notification::CdrResult) != static_cast<int>(OperationResult::Done) ||
        file.RecordCount() != kRecords || !download) {
      state.SkipWithError("the download did not bring every record");
      break;
    }
    state.SetIterationTime(download->time.count());
    state.counters["x_wire"] = download->time.count() / bench::LineSeconds(download->bytes);
    state.counters["bytes"] = static_cast<double>(download->bytes);
  }
}

// Each run takes seconds: the line sets the pace.
BENCHMARK(BM_CdrDownload)->UseManualTime()->Iterations(1)->Repetitions(kRuns)->Unit(benchmark::kMillisecond);

}  // namespace
