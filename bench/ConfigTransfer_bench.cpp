// A full configuration read and written through the operation engine, its
// host and the real link, against the simulator on a loopback TCP port and on
// a pseudo-terminal paced like a serial line at 115200 baud. Each run reports
// its time against the floors that bound it:
//
//   x_wire    (pseudo-terminal only) against the wire time of every frame byte
//             in both directions at 11 bits per byte, both paced as on a line.
//   x_pacing  against the protocol's own pacing: the engine sends one data
//             request per request delay while its window of pending requests
//             has room, and the next one at once only when an answer frees a
//             full window. A link that answers within the delay never fills
//             the window, so the floor is (data requests - 1) x request delay:
//             the first request goes out at once.
//   x_window  against data requests x request delay / window, the bound of a
//             window whose every slot went out each delay. The engine never
//             sends faster than one request per delay on average, so this
//             ratio stays at or above the window size.
//
// Only the transfer is timed (manual time): from the start request on the open
// link to the result notification. The simulator, the link and the check of the
// transferred image are outside it.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/session/LinkEngineHost.h"
#include "app/settings/ProgramSettings.h"
#include "base/EventLoop.h"
#include "config/ConfigurationImage.h"
#include "config/ImageLayout.h"
#include "link/CommLogSink.h"
#include "link/FrameEncoder.h"
#include "protocol/DeviceMessage.h"
#include "protocol/InformationElements.h"
#include "protocol/engine/ConfigTransfer.h"
#include "protocol/engine/OperationEngine.h"
#include "sim/LinePacer.h"
#include "support/SimulatorThread.h"

namespace {

using namespace tusko;
using namespace std::chrono_literals;
using test::SimulatorThread;
using test::Transport;

constexpr unsigned kLineBaud = 115200;
// Bounds that only end a run that has gone wrong.
constexpr auto kTransferLimit = 120s;
constexpr std::uint8_t kLastInUseKey = 254;  // key bytes 1..254 mark a record in use

enum class Direction { Download, Upload };

// Bytes on the wire, counted from the messages the engine dumps to its
// communication log, each framed as the link frames it; also the requests
// sent, and those that carry one of the given data elements.
class WireTally final : public CommLogSink {
 public:
  explicit WireTally(std::vector<std::uint8_t> dataElements = {}) : dataElements_(std::move(dataElements)) {}

  void AddLine(std::string_view, LogColour) override {}
  void DumpRawInput(std::span<const std::uint8_t>) override {}
  void DumpMessage(std::span<const std::uint8_t> bytes, bool incoming) override {
    std::vector<std::uint8_t> frame;
    EncodeFrame(bytes, frame);
    (incoming ? bytesIn_ : bytesOut_) += frame.size();
    if (incoming) return;
    ++requests_;
    const DeviceMessage message = DeviceMessage::FromBytes(bytes);
    if (std::any_of(dataElements_.begin(), dataElements_.end(),
                    [&message](std::uint8_t element) { return FindElement(message, element).has_value(); })) {
      ++dataRequests_;
    }
  }

  std::size_t BytesOut() const { return bytesOut_; }
  std::size_t BytesIn() const { return bytesIn_; }
  std::size_t Requests() const { return requests_; }
  std::size_t DataRequests() const { return dataRequests_; }

 private:
  const std::vector<std::uint8_t> dataElements_;
  // The engine dumps on the loop's thread only; atomics keep the sink sound for any writer.
  std::atomic<std::size_t> bytesOut_{0};
  std::atomic<std::size_t> bytesIn_{0};
  std::atomic<std::size_t> requests_{0};
  std::atomic<std::size_t> dataRequests_{0};
};

constexpr std::array kCountedTables{
    layout::lcr::kRoutingTable,
    layout::lcr::kClipTable,
    layout::clipFromGsm::kTable,
    layout::mobility::kTable,
};

// Every counted table full and every other byte set: neither the download's
// skip of empty table tails nor the upload's skip of 0xFF groups leaves out
// anything. The reserved head is 0xFF because the upload always sends it so.
ConfigurationImage FullImage() {
  ConfigurationImage image;
  for (std::size_t offset = 0; offset < ConfigurationImage::kSize; ++offset) {
    image.SetByte(offset, static_cast<std::uint8_t>(offset % layout::kUnset));
  }
  for (const layout::CountedTable& table : kCountedTables) {
    for (std::size_t index = 0; index < table.capacity; ++index) {
      image.SetByte(table.RecordOffset(index) + table.keyByte, static_cast<std::uint8_t>(1 + index % kLastInUseKey));
    }
  }
  image.Fill(layout::general::kReservedHead, layout::kUnset);
  StoreSignature(image);
  return image;
}


struct TransferOutcome {
  std::chrono::duration<double> elapsed{};
  std::size_t bytesOut = 0;
  std::size_t bytesIn = 0;
  std::size_t requests = 0;
  std::size_t dataRequests = 0;
  std::string error;  // empty when the image arrived whole
};

TransferOutcome Failed(std::string why) {
  TransferOutcome outcome;
  outcome.error = std::move(why);
  return outcome;
}

ProgramSettings SimulatorSettings(Transport transport, const SimulatorThread& simulator) {
  ProgramSettings settings;  // the default request delay and window
  if (transport == Transport::Tcp) {
    settings.comMode = static_cast<std::uint32_t>(LinkType::Tcp);
    settings.tcpAddress = "127.0.0.1";
    settings.tcpPort = simulator.Port();
  } else {
    settings.comMode = static_cast<std::uint32_t>(LinkType::Serial);
    settings.virtualComPort = simulator.SlavePath();
    settings.baudrate = kLineBaud;
  }
  return settings;
}

// One whole transfer on a fresh simulator, link and engine.
TransferOutcome RunTransfer(Transport transport, Direction direction, const ConfigurationImage& source) {
  EventLoop loop;
  SimulatorThread simulator(transport, {}, transport == Transport::Pty ? kLineBaud : 0);
  if (!simulator.Ready()) return Failed("simulator: " + simulator.Error());
  if (direction == Direction::Download) {
    simulator.Run([&](sim::GatewayModel& model) { model.Configuration().Replace(source); });
  }

  const ProgramSettings settings = SimulatorSettings(transport, simulator);
  const Notification resultCode =
      direction == Direction::Download ? Notification::DownloadResult : Notification::UploadResult;
  std::optional<int> result;
  std::string messages;
  WireTally tally({ie::ConfigReadData, ie::ConfigWriteData});  // outlives the host it is attached to
  LinkEngineHost host(loop, settings,
                      LinkEngineHostHooks{
                          .text = [](std::string_view key) { return std::string(key); },
                          .notified =
                              [&](Notification code, int value) {
                                if (code == resultCode && !result) result = value;
                              },
                          .password = [] { return std::optional<std::string>(); },
                          .message = [&](const std::string&, const std::string& text) { messages += text + " "; },
                      });
  host.AttachLog(&tally);
  OperationEngine engine(host, host.engineSettings());
  host.Attach(engine);
  if (!host.EnsureLinkOpen(true)) return Failed("the link did not open: " + messages);

  const auto start = EventLoop::Clock::now();
  const bool started = direction == Direction::Download ? engine.StartDownload() : engine.StartUpload(source);
  if (!started) return Failed("the transfer did not start: " + messages);
  loop.RunUntil([&] { return result.has_value(); }, kTransferLimit);
  TransferOutcome outcome;
  outcome.elapsed = EventLoop::Clock::now() - start;

  if (!result) return Failed("no result notification");
  if (*result != static_cast<int>(OperationResult::Done)) {
    return Failed("result " + std::to_string(*result) + ": " + engine.causeText() + " " + messages);
  }
  const ConfigurationImage received =
      direction == Direction::Download
          ? engine.configTransfer().image()
          : simulator.Run([](sim::GatewayModel& model) { return model.Configuration().Stored(); });
  if (received != source) return Failed("the transferred image differs from the source");

  outcome.bytesOut = tally.BytesOut();
  outcome.bytesIn = tally.BytesIn();
  outcome.requests = tally.Requests();
  outcome.dataRequests = tally.DataRequests();
  return outcome;
}

void BM_ConfigTransfer(benchmark::State& state, Transport transport, Direction direction) {
  const ConfigurationImage source = FullImage();
  const ProgramSettings defaults;
  const std::chrono::duration<double> requestDelay = std::chrono::milliseconds(defaults.dataReadWriteRequestDelay);
  const double window = defaults.dataReadWriteMaxPendingRequests;

  TransferOutcome total;
  for (auto _ : state) {
    const TransferOutcome outcome = RunTransfer(transport, direction, source);
    if (!outcome.error.empty()) {
      state.SkipWithError(outcome.error.c_str());
      break;
    }
    state.SetIterationTime(outcome.elapsed.count());
    total.elapsed += outcome.elapsed;
    total.bytesOut += outcome.bytesOut;
    total.bytesIn += outcome.bytesIn;
    total.requests += outcome.requests;
    total.dataRequests += outcome.dataRequests;
  }
  if (state.error_occurred() || state.iterations() == 0) return;

  const double runs = static_cast<double>(state.iterations());
  const double seconds = total.elapsed.count() / runs;
  const double dataRequests = static_cast<double>(total.dataRequests) / runs;
  const double bytesOut = static_cast<double>(total.bytesOut) / runs;
  const double bytesIn = static_cast<double>(total.bytesIn) / runs;

  state.counters["requests"] = static_cast<double>(total.requests) / runs;
  state.counters["bytes_out"] = bytesOut;
  state.counters["bytes_in"] = bytesIn;
  state.counters["x_pacing"] = seconds / ((dataRequests - 1) * requestDelay.count());
  state.counters["x_window"] = seconds / (dataRequests * requestDelay.count() / window);
  if (transport == Transport::Pty) {
    const double wireSeconds = (bytesOut + bytesIn) * sim::kBitsPerSerialByte / kLineBaud;
    state.counters["x_wire"] = seconds / wireSeconds;
  }
}

// Each run takes seconds (the pseudo-terminal's line and the request delay set
// the pace), so a run or two says enough.
constexpr int kRuns = 2;

BENCHMARK_CAPTURE(BM_ConfigTransfer, tcp_download, Transport::Tcp, Direction::Download)
    ->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConfigTransfer, tcp_upload, Transport::Tcp, Direction::Upload)
    ->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConfigTransfer, pty_download, Transport::Pty, Direction::Download)
    ->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConfigTransfer, pty_upload, Transport::Pty, Direction::Upload)
    ->UseManualTime()->Iterations(kRuns)->Unit(benchmark::kMillisecond);

}  // namespace
