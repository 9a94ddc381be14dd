// Frame encoder and decoder throughput. Besides bytes per second, each run
// reports `x_wire`: the time the frame takes on the serial line (115200 baud,
// 8N2 = 11 bits per byte, the physical floor) divided by the time the codec
// takes for it, i.e. how many times faster than the wire the codec is.
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

#include "link/FrameDecoder.h"
#include "link/FrameEncoder.h"

namespace {

using namespace tusko;

constexpr double kLineBaud = 115200.0;
constexpr double kBitsPerWireByte = 11.0;  // start bit, 8 data bits, two stop bits

// A configuration block as the writer sends it: Address and a 208-byte ConfigWriteData.
std::vector<std::uint8_t> DataBlockMessage() {
  auto message = CreateMessage(MessageType::Request);
  AddElementBytes(message, ie::Address, {0x00, 0x07, 0x00, 0x80});
  std::vector<std::uint8_t> block(208);
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(i * 37 + 11);
  AddElement(message, ie::ConfigWriteData, block);
  SealMessage(message);
  return {message.wireBytes().begin(), message.wireBytes().end()};
}

// Worst case for escaping: the longest receivable message, every byte a start value.
std::vector<std::uint8_t> AllStartBytesMessage() { return std::vector<std::uint8_t>(kMaxReceivedLength, kFrameStart); }

std::vector<std::uint8_t> FrameOf(const std::vector<std::uint8_t>& message) {
  std::vector<std::uint8_t> frame;
  EncodeFrame(message, frame);
  return frame;
}

// Runs `step` once per benchmark iteration and reports throughput and x_wire.
template <typename Step>
void RunAgainstWire(benchmark::State& state, std::size_t messageBytes, std::size_t frameBytes, Step step) {
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) step();
  const std::chrono::duration<double> codecTime = std::chrono::steady_clock::now() - start;

  const double wireSeconds = static_cast<double>(frameBytes) * kBitsPerWireByte / kLineBaud;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * messageBytes));
  state.counters["frame_bytes"] = static_cast<double>(frameBytes);
  state.counters["x_wire"] = wireSeconds * static_cast<double>(state.iterations()) / codecTime.count();
}

template <std::vector<std::uint8_t> (*MakeMessage)()>
void BM_EncodeFrame(benchmark::State& state) {
  const auto message = MakeMessage();
  std::vector<std::uint8_t> frame;
  RunAgainstWire(state, message.size(), FrameOf(message).size(), [&] {
    frame.clear();
    EncodeFrame(message, frame);
    benchmark::DoNotOptimize(frame.data());
  });
}

template <std::vector<std::uint8_t> (*MakeMessage)()>
void BM_EncodeFrameChunks(benchmark::State& state) {
  const auto message = MakeMessage();
  RunAgainstWire(state, message.size(), FrameOf(message).size(), [&] {
    EncodeFrameChunks(message, [](std::span<const std::uint8_t> chunk) { benchmark::DoNotOptimize(chunk.data()); });
  });
}

template <std::vector<std::uint8_t> (*MakeMessage)()>
void BM_DecodeFrame(benchmark::State& state) {
  const auto message = MakeMessage();
  const auto frame = FrameOf(message);
  FrameDecoder decoder;
  RunAgainstWire(state, message.size(), frame.size(), [&] {
    for (std::uint8_t byte : frame) {
      auto delivered = decoder.Feed(byte);
      benchmark::DoNotOptimize(delivered);
    }
  });
}

BENCHMARK_TEMPLATE(BM_EncodeFrame, DataBlockMessage);
BENCHMARK_TEMPLATE(BM_EncodeFrame, AllStartBytesMessage);
BENCHMARK_TEMPLATE(BM_EncodeFrameChunks, DataBlockMessage);
BENCHMARK_TEMPLATE(BM_EncodeFrameChunks, AllStartBytesMessage);
BENCHMARK_TEMPLATE(BM_DecodeFrame, DataBlockMessage);
BENCHMARK_TEMPLATE(BM_DecodeFrame, AllStartBytesMessage);

}  // namespace
